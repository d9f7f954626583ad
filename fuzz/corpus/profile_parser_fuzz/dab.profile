# Follows ETSI EN 300 401 (Digital Audio Broadcasting), the audio coding clause.
[profile]
name = dab
title = DAB audio service (MPEG Layer II, 48/24 kHz)
reference = ETSI EN 300 401

[versions]
allowed = 1, 2
message = DAB carries MPEG-1 (48 kHz) or MPEG-2 half-rate (24 kHz) audio

[layers]
allowed = 2
message = DAB carries Layer II only

[sampling-rates]
allowed = 48000, 24000
message = DAB audio is sampled at 48 or 24 kHz

[bitrates]
allowed = 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320, 384
message = a DAB sub-channel has a bitrate from the Layer II tables; free format is not used

[bitrate-mode]
allowed = fixed
message = a DAB sub-channel has one fixed bitrate

[bitrate-change]
allowed = no
message = a DAB sub-channel has one fixed bitrate

[crc]
required = yes
message = every DAB audio frame carries its header CRC

[scf-crc]
required = yes
message = every DAB audio frame carries the scale-factor CRC of the next one

# F-PAD (2 bytes) and the shortest scale-factor CRC field (2 bytes) end every
# frame: 32 bits of ancillary data at least.
[ancillary-data]
min-bits = 32
message = the frame end holds the scale-factor CRC and the F-PAD field

[rate-change]
allowed = no

[mode-change]
allowed = no

# Our judgement: a DAB encoder output holds frames only; a warning because
# some capture tools add a few bytes.
[junk]
max-bytes = 0
severity = warning

# Our judgement: tags are not part of a DAB audio sub-channel.
[metadata]
allowed = none
severity = warning

# Our judgement: receivers rarely apply de-emphasis.
[emphasis]
allowed = none
severity = warning
