[profile]
name = p
[crc
required maybe
[sampling-rates]
allowed = 48000,,47000
