// The program's version: in its version resource and in the undo file's header.
#pragma once

#define VXCLEAN_VERSION_NUMBERS 1, 0, 0, 0
#define VXCLEAN_VERSION_TEXT "1.0.0.0"
