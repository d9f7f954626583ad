/* The export contract of the demultiplexer plugins (demo_ql_demux_mp2,
 * demo_ql_demux_mxf): seven functions, bound by name by the host.
 *
 * A plugin serves one file at a time, with process-wide state: LoadFile
 * opens it and lists its streams (at most 128), the stream queries read the
 * list, and each extraction writes one stream into a file or passes it chunk
 * by chunk to the host, then opens the file again so that the host can
 * extract once more. Failures are written as debug lines; an extraction
 * export answers -1 after one, and 0 only when the stream was extracted to
 * its end or stopped by AbortDemux.
 *
 * Threads: every export is called from one host thread, except AbortDemux,
 * which the host calls from another thread while an extraction runs.
 *
 * Plain C; every export and the send function use the stdcall convention. */
#ifndef TAMBERLY_ABI_QL_DEMUX_API_H
#define TAMBERLY_ABI_QL_DEMUX_API_H

#include <stdint.h>

#include "abi/calling_convention.h"

#ifdef QL_DEMUX_PLUGIN_BUILD
#define QL_DEMUX_API TAMBERLY_EXPORT
#else
#define QL_DEMUX_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Receives one chunk of a callback extraction on the extracting thread.
 * owner is the value given to DemuxStreamCallBack; data is valid only during
 * the call (the host copies it); size is the chunk's byte count. The result
 * is ignored. */
typedef int32_t(TAMBERLY_STDCALL* ql_demux_send_data_fn)(void* owner, const void* data, int32_t size);

/* Opens the file (a NUL-terminated path of at most 259 bytes) and lists its
 * streams. 0 on success; -1 when the path is null or too long, the file
 * cannot be opened or its streams cannot be listed (a file with 128 streams
 * or more is refused). A file already loaded is closed first. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL LoadFile(const char* pFileName);

/* Closes the connection to the file. Always 0. The stream list stays until
 * the next LoadFile. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL UnloadFile(void);

/* Stores the number of listed streams (0-128) in *pCount; a null pointer is
 * ignored. Always 0. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL GetStreamsCount(int32_t* pCount);

/* For stream nIndex (0 ... count - 1) stores its program index and its
 * index within the program, then asks the file for the stream's media type
 * code. 0, or -1 when the query fails, nIndex is out of range or a pointer
 * is null. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL GetStreamMediaType(int32_t nIndex, int32_t* pProgramID, int32_t* pStreamID,
                                                         int32_t* pStreamMediaType);

/* Extracts stream nIndex into the file pFileName (created or truncated),
 * then opens the loaded file again. 0 when the stream was written to its end
 * or the extraction was stopped by AbortDemux; -1 after any failure: no file
 * loaded, nIndex out of range, an output that cannot be created, a step of
 * the core that failed (a failed write included) or an output file that
 * could not be completed. What was written before a failure stays. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL DemuxStreamToFile(int32_t nIndex, const char* pFileName);

/* Extracts stream nIndex, passing every chunk to pfnSendData with
 * pSendCallbackOwner, then opens the loaded file again. Returns when the
 * stream is finished, failed or aborted: 0 when finished or aborted, -1 after
 * a failure as for DemuxStreamToFile. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL DemuxStreamCallBack(int32_t nIndex, ql_demux_send_data_fn pfnSendData,
                                                          void* pSendCallbackOwner);

/* Stops the running extraction: no chunk is sent to the host after the call
 * has begun, and the extraction ends after its next step. With none running,
 * it stops the extraction that begins while the call is under way; one begun
 * after it has returned runs to its end. Returns 0 after
 * 500 ms; a send to the host under way at that moment is waited for up to
 * nTimeOutMS ms more, and -1 is returned if it has not returned by then. */
QL_DEMUX_API int32_t TAMBERLY_STDCALL AbortDemux(int32_t nTimeOutMS);

/* The exports' types, for a host that binds them by name. */
typedef int32_t(TAMBERLY_STDCALL* ql_demux_load_file_fn)(const char*);
typedef int32_t(TAMBERLY_STDCALL* ql_demux_unload_file_fn)(void);
typedef int32_t(TAMBERLY_STDCALL* ql_demux_get_streams_count_fn)(int32_t*);
typedef int32_t(TAMBERLY_STDCALL* ql_demux_get_stream_media_type_fn)(int32_t, int32_t*, int32_t*, int32_t*);
typedef int32_t(TAMBERLY_STDCALL* ql_demux_stream_to_file_fn)(int32_t, const char*);
typedef int32_t(TAMBERLY_STDCALL* ql_demux_stream_callback_fn)(int32_t, ql_demux_send_data_fn, void*);
typedef int32_t(TAMBERLY_STDCALL* ql_demux_abort_fn)(int32_t);

/* Longest path LoadFile takes, in bytes without the terminator. */
#define QL_DEMUX_MAX_PATH 259
/* Most streams a plugin lists. */
#define QL_DEMUX_MAX_STREAMS 128

#ifdef __cplusplus
}
#endif

#endif
