// The objects that live for the whole process rather than for one main window. They are built before WinMain
// in a fixed order, each registering its exit handler right after it is built, so that they are torn down in
// the reverse order after WinMain returns: the profile store exists before the toolbar, which reads its layout
// from it, and the theme object comes last and goes first.
//
// With the environment variable QVRX_TRACE naming a file, every step appends a line "built N name" or
// "destroyed N name" to it.
#pragma once

// Builds the objects in order and registers their exit handlers. Called once, by a static initialiser of the
// program file.
void BuildGlobalObjects();
