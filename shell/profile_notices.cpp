#include "shell/profile_notices.h"

#include "foundation/core/app_state.h"
#include "foundation/files/system_errors.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

constexpr int kProfileNoticeCapacity = 4096;

int MessageId(int kind) {
  switch (kind) {
    case kProfileUnreadable: return kTextProfileUnreadable;
    case kProfileMovedAway: return kTextProfileMoved;
    default: return kTextProfileNotSaved;
  }
}

// The message, the file and the system's words for the error; after a move, the file the settings went to.
void ComposeNotice(const ProfileProblem& problem, wchar_t (&text)[kProfileNoticeCapacity]) {
  wchar_t part[kErrorTextCapacity];
  GetUiText(MessageId(problem.kind), text, kProfileNoticeCapacity);
  AppendWideBounded(L"\r\n\r\n", text, kProfileNoticeCapacity);
  AppendWideBounded(problem.path, text, kProfileNoticeCapacity);
  if (FormatSystemErrorText(static_cast<DWORD>(problem.error), part, kErrorTextCapacity, true) > 0) {
    AppendWideBounded(L"\r\n", text, kProfileNoticeCapacity);
    AppendWideBounded(part, text, kProfileNoticeCapacity);
  }
  if (problem.kind != kProfileMovedAway) return;
  AppendWideBounded(L"\r\n\r\n", text, kProfileNoticeCapacity);
  AppendWideBounded(problem.movedTo, text, kProfileNoticeCapacity);
}

}  // namespace

bool TellProfileProblem(SettingsStore* store, HWND owner) {
  ProfileProblem problem;
  if (!ProfileTakeProblem(store, &problem)) return false;
  wchar_t text[kProfileNoticeCapacity];
  ComposeNotice(problem, text);
  const UINT icon = problem.kind == kProfileMovedAway ? MB_ICONWARNING : MB_ICONERROR;
  ShowMessageBoxWide(owner, text, g_app ? g_app->title : nullptr, MB_OK | icon);
  return true;
}

int SaveSettings(SettingsStore* store, HWND owner) {
  const int result = ProfileSave(store);
  TellProfileProblem(store, owner);
  return result;
}
