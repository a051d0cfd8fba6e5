#include "support/ChildJob.h"

namespace testsupport {
namespace {

HANDLE MakeJob() {
    // Not inheritable: no child may hold the job open once this process has gone.
    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) return job;
    ::CloseHandle(job);
    return nullptr;
}

}  // namespace

bool KillWithThisProcess(HANDLE process) {
    static const HANDLE job = MakeJob();
    return job != nullptr && ::AssignProcessToJobObject(job, process) != FALSE;
}

}  // namespace testsupport
