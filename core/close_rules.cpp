#include "core/close_rules.h"

namespace zb {

CloseAnswer closeAnswer(CloseRequest request, bool endSessionPending, bool backupRunning) {
    if (endSessionPending || request == CloseRequest::EndOfWindows) return CloseAnswer::Close;
    if (backupRunning) return CloseAnswer::Refuse;
    return request == CloseRequest::Update ? CloseAnswer::Close : CloseAnswer::Ask;
}

}  // namespace zb
