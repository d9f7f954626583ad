# Follows ETSI TS 101 154 (video and audio coding in DVB broadcast) and its
# guidelines ETSI TR 102 154, for MPEG-1 Layer II audio.
[profile]
name = dvb
title = DVB broadcast audio (MPEG-1 Layer II, 32/44.1/48 kHz)
reference = ETSI TS 101 154, ETSI TR 102 154

[versions]
allowed = 1
message = DVB uses MPEG-1 Layer II audio

[layers]
allowed = 2
message = DVB uses MPEG-1 Layer II audio

[sampling-rates]
allowed = 32000, 44100, 48000
message = MPEG-1 Layer II audio in DVB is sampled at 32, 44.1 or 48 kHz

# Free format is not used in DVB.
[bitrates]
allowed = 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384
message = free format is not used in DVB

[rate-change]
allowed = no
message = the sampling rate stays the same within an audio stream

# Our judgement: decoders follow mode changes, but a change usually means
# that streams were spliced.
[mode-change]
allowed = no
severity = warning

# Our judgement: a broadcast audio stream normally has one bitrate.
[bitrate-mode]
allowed = fixed
severity = warning

[bitrate-change]
allowed = no
severity = warning

# Our judgement: the header CRC is optional in DVB but recommended.
[crc]
required = yes
severity = info

# Our judgement: bytes between frames upset re-multiplexing.
[junk]
max-bytes = 0

# Our judgement: tags are not carried in a transport stream's audio.
[metadata]
allowed = none
severity = warning

[findings]
forbidden = crc-mismatch, truncated-frame, reserved-value
message = damaged frames reach the listener
