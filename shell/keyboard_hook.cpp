#include "shell/keyboard_hook.h"

KeyHookState g_keyHookState;

void InitKeyHookState(KeyHookState* state) {
  if (!state) return;
  *state = KeyHookState{};
  state->section = "Keys";
}

void ReleaseKeyHookState(KeyHookState* state) {
  if (!state || !state->hook) return;
  UnhookWindowsHookEx(state->hook);
  state->hook = nullptr;
}
