// What the shared library exports: it is built with hidden visibility, so only the declarations
// of this folder that carry SIMPLEX_WEIGHTS_EXPORT are part of its interface.
#pragma once

#define SIMPLEX_WEIGHTS_EXPORT __attribute__((visibility("default")))
