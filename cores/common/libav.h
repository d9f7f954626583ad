#pragma once
// The parts of FFmpeg's libraries the cores use. FFmpeg's headers are C
// without C++ linkage guards.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}
