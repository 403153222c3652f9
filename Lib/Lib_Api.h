// Symbols that the support library exports; everything else stays hidden.
#pragma once
#define RYX_LIB_API __attribute__((visibility("default")))
