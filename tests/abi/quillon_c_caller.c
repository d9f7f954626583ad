#include "tests/abi/quillon_c_caller.h"

#include "abi/QuillonControlInterface.h"

QuillonCallerResult CallControlFromC(void* object) {
    static const TGuid control_id = QL_IID_IQUILLONCONTROL_VALUE;
    static const TGuid report_set_id = QL_IID_IQUILLONREPORTSET_VALUE;
    IQuillonControl* control = (IQuillonControl*)object;
    const IQuillonControlVtbl* slots = control->lpVtbl;
    QuillonCallerResult result = {0};
    void* found = 0;
    const uint16_t* name = 0;
    result.query_control = slots->QueryInterface(control, &control_id, &found);
    result.query_report_set = slots->QueryInterface(control, &report_set_id, &found);
    result.add_ref = slots->AddRef(control);
    (void)slots->GetModuleName(control, &name);
    result.first_name_unit = name != 0 ? name[0] : 0;
    result.load = slots->LoadMediaFile(control, name);
    (void)slots->GetModuleType(control, &result.module_type);
    (void)slots->IsValidationRunning(control, &result.running);
    result.start = slots->StartFileValidation(control);
    (void)slots->GetProgress(control, &result.progress);
    result.stop = slots->StopFileValidation(control);
    result.settings = slots->ShowSettings(control, 7);
    result.unload = slots->UnloadMediaFile(control);
    result.release = slots->Release(control);
    return result;
}

int32_t ReportFromC(void* object, int32_t module, int32_t type, const uint16_t* message, int32_t stream) {
    IQuillonReport* report = (IQuillonReport*)object;
    return report->lpVtbl->Report(report, module, type, message, stream);
}
