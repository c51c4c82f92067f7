// The window's names of the registry's mice, the same as every front end's.
#include "gui/mouse_name.h"

#include "devices/mouse_label.h"

void gui_mouse_name(int slot, wchar_t* out, size_t units) { mouse_label(slot, out, units); }
