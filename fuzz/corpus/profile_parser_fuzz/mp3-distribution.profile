# Our own profile for MP3 files delivered to shops and streaming services:
# MPEG-1 Layer III (ISO/IEC 11172-3) at 32, 44.1 or 48 kHz, whose Xing/LAME
# header agrees with the audio, with ID3 tags only and no junk. Every rule
# here is our judgement of common delivery requirements.
[profile]
name = mp3-distribution
title = MP3 for distribution (MPEG-1 Layer III, consistent Xing/LAME header)
reference = ISO/IEC 11172-3; the Xing and LAME header layouts

[versions]
allowed = 1

[layers]
allowed = 3

[sampling-rates]
allowed = 32000, 44100, 48000

[junk]
max-bytes = 0
message = players may play junk as noise

[metadata]
allowed = id3
message = only ID3 tags are read everywhere

[duration-drift]
max-seconds = 0.05
message = players show and seek by the Xing/LAME frame count

[findings]
forbidden = lame-tag-crc, music-crc, truncated-frame, main-data-overflow, crc-mismatch
message = the Xing/LAME header and the frames must agree and be intact

[emphasis]
allowed = none
severity = warning
