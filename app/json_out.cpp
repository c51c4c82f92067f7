// The --json file's life: checked and created before a run, written and
// renamed into place after it, deleted when the run printed no figures.
#include "app/json_out.h"

#include <errno.h>

#include "app/text_out.h"
#include "core/version.h"
#include "platform/c_library.h"

bool json_output_open(JsonOutput* o, const wchar_t* path) {
    *o = JsonOutput{};
    if (!path)
        return true;
    int error = output_file_check(path);
    if (!error && !output_file_open(&o->file, path))
        error = errno;
    if (error)
        print_open_failure(path, error, L"--json");
    return error == 0;
}

JsonReport* json_output_report(JsonOutput* o, const char* mode, const JsonConditions* c) {
    if (o->file.f && !o->report)
        o->report = json_report_new(mode, QUORVIN_VERSION_TEXT, c);
    return o->report;
}

int json_output_finish(JsonOutput* o, int result) {
    if (!o->file.f)
        return result;
    int error = 0;
    if (result == 0 && !o->report)
        error = ENOMEM;
    else if (result == 0 && !json_report_write(o->report, o->file.f))
        error = errno;
    else if (result == 0 && !output_file_commit(&o->file))
        error = errno;
    json_report_free(o->report);
    o->report = NULL;
    if (result != 0 || error) {
        output_file_discard(&o->file);  // after a failed commit the partial file is closed already
        file_remove(o->file.partial);
    }
    if (error)
        return print_write_failure(L"", o->file.target, error);
    return result;
}
