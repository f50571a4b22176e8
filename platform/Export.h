#pragma once
// VORN_API marks what the shared library libvornlut exports: its client API. The library
// is compiled with hidden visibility, so everything else stays inside it. Exceptions that
// cross into the client are marked too, so that their type information is shared and a
// client catches them by type. The static libraries of the programs ignore the mark.

#if defined(__GNUC__) || defined(__clang__)
#define VORN_API __attribute__((visibility("default")))
#else
#define VORN_API
#endif
