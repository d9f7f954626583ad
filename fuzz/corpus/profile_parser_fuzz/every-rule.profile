# a house profile
[profile]
name = house-rules
title = Our station's play-out
reference = the play-out handbook

[versions]
allowed = 1, 2.5
[layers]
allowed = II, 3
[sampling-rates]
allowed = 48000 , 32000
severity = warning
[bitrates]
allowed = 256, free
[bitrate-mode]
allowed = variable
[channel-modes]
allowed = joint-stereo, mono
[crc]
required = yes
message = we need CRCs, really
[emphasis]
allowed = none, ccitt-j17
[rate-change]
allowed = no
[mode-change]
allowed = yes
[bitrate-change]
allowed = no
severity = info
[junk]
max-bytes = 100
[metadata]
allowed = id3
[ancillary-data]
min-bits = 48
[scf-crc]
required = no
[duration-drift]
max-seconds = 0.25
[findings]
forbidden = crc-mismatch, music-crc
