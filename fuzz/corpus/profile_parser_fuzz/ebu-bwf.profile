# Follows EBU Tech 3285 supplement 1 (MPEG audio data in Broadcast WAVE
# files): Layer I or II, the sampling rates of MPEG-1 and of MPEG-2 at half
# rate, a fixed bitrate.
[profile]
name = ebu-bwf
title = EBU Broadcast WAVE archive (MPEG Layer I/II)
reference = EBU Tech 3285 supplement 1

[versions]
allowed = 1, 2

[layers]
allowed = 1, 2
message = Broadcast WAVE files carry MPEG Layer I or II audio

[sampling-rates]
allowed = 16000, 22050, 24000, 32000, 44100, 48000

[bitrate-mode]
allowed = fixed
message = the mpeg chunk describes one fixed bitrate

[bitrate-change]
allowed = no

[rate-change]
allowed = no

[mode-change]
allowed = no
message = the mpeg chunk describes one channel mode

# Our judgement: an archive master keeps its header CRCs.
[crc]
required = yes
severity = warning

# Our judgement: the file's metadata belongs in its bext chunk, not in tags.
[metadata]
allowed = none
severity = warning

# Our judgement: an archive master must be intact.
[findings]
forbidden = crc-mismatch, truncated-frame, reserved-value, sync-lost
