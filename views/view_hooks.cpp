#include "views/view_hooks.h"

#include "foundation/guard.h"

ViewHooks g_viewHooks;

namespace {

template <typename... Args>
void CallHook(void (*hook)(Args...), Args... args) {
  if (hook == nullptr) return;
  GuardedCall(0, [&] {
    hook(args...);
    return 0;
  });
}

}  // namespace

void ComputeNewNamesHook() { CallHook(g_viewHooks.computeNewNames); }

void UpdateStatusTextHook() { CallHook(g_viewHooks.updateStatusText); }

void UpdateProblemCountNoticeViewHook() { CallHook(g_viewHooks.updateProblemCountNotice); }

void UpdateMenuStatesViewHook() { CallHook(g_viewHooks.updateMenuStates); }

void ListingEndedHook() { CallHook(g_viewHooks.listingEnded); }

void ApplyViewOptionsHook() { CallHook(g_viewHooks.applyViewOptions); }

void ShowFolderInAddressBarHook(const wchar_t* folder) { CallHook(g_viewHooks.showFolderInAddressBar, folder); }

void AddRecentFolderHook(const wchar_t* folder) { CallHook(g_viewHooks.addRecentFolder, folder); }

void LoadFieldValuesHook(const wchar_t* folder) { CallHook(g_viewHooks.loadFieldValues, folder); }
