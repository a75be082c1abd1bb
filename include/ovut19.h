/** @file
    OVUT19.DLL: public interface for host programs (C and C++).
    Link with libOVUT19.dll.a (MinGW) or OVUT19.lib (MSVC), use the CMake package (OVUT19::OVUT19),
    or load the DLL and look the names up with GetProcAddress.
    Every function uses the WINAPI calling convention, except the ones taking "..." (cdecl). */
#ifndef OVUT19_H
#define OVUT19_H

#include "ovut19/base.h"
#include "ovut19/debug.h"
#include "ovut19/convert.h"
#include "ovut19/prof.h"
#include "ovut19/prof_persist.h"
#include "ovut19/cstring.h"
#include "ovut19/heap.h"
#include "ovut19/zip.h"
#include "ovut19/environment.h"
#include "ovut19/security.h"
#include "ovut19/hooks.h"
#include "ovut19/tempfiles.h"
#include "ovut19/locale.h"
#include "ovut19/debughelp.h"
#include "ovut19/prof_values.h"
/* Document information and path mapping. */
#include "ovut19/docinfo.h"
#include "ovut19/paths.h"
#include "ovut19/help.h"
#include "ovut19/exhandler.h"
#include "ovut19/gdihandles.h"
#include "ovut19/databp.h"

#endif
