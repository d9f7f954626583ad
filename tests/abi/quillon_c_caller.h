/* C functions that drive validation module interfaces through their C view. */
#ifndef TAMBERLY_TESTS_ABI_QUILLON_C_CALLER_H
#define TAMBERLY_TESTS_ABI_QUILLON_C_CALLER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a C host learnt from a module's IQuillonControl. */
typedef struct QuillonCallerResult {
    int32_t query_control;    /* QueryInterface(IID_IQuillonControl) status */
    int32_t query_report_set; /* QueryInterface(IID_IQuillonReportSet) status */
    uint32_t module_type;
    uint16_t first_name_unit;
    double progress;
    int32_t running;
    int32_t start, stop, settings, load, unload;
    uint32_t add_ref, release;
} QuillonCallerResult;

/* Calls every slot of control (a C++ IQuillonControl*) in slot order. */
QuillonCallerResult CallControlFromC(void* control);

/* Sends one report item through report (a C++ IQuillonReport*). */
int32_t ReportFromC(void* report, int32_t module, int32_t type, const uint16_t* message, int32_t stream);

#ifdef __cplusplus
}
#endif

#endif
