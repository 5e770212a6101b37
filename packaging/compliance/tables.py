"""The licences of the libraries a program may hold, as data: LICENSES (each
Debian source and its rules for files under another licence), TERMS (each
SPDX term: its Debian name and grant) and TEXTS (the full licence texts the
notices append)."""


# The licence of each Debian source package whose code may be linked into a
# program, as read from its copyright file (/usr/share/doc/<package>/copyright)
# and, file by file, from the source where that file names no licence of the
# parts. A package whose source is not here fails `notices`: read its
# copyright file, then add it. In the order the notices name them.
#   title      what the library is, for people
#   spdx       the licence of its files, an SPDX term of TERMS, unless a rule
#              of `files` or its copyright file gives a file another
#   copyright  its main copyright holders, for the Debian copyright file
#   source     whether its licence asks that its source go with the program
#              (LGPL-2.1 section 6): then it is named in Built-Using, and the
#              release carries that source
#   homepage   its makers' home, where its package names none
#   files      rules for the files (archive members, objects) under another
#              licence: the archive's name (a pattern; "" for an object
#              loaded whole), the members' names (patterns), optionally the
#              file's path (where, a pattern), then either their licence
#              (spdx: SPDX terms joined by AND) or, for a machine-readable
#              copyright file, the path of their source (path), whose Files
#              paragraph gives it; and where that is told (why). For a
#              source that the release carries, `sources` names the files
#              of that source they are made of ({stem}: the member's name
#              without .o), whose notices the release checks read
#   dep5       the copyright file is machine-readable (DEP-5) and the
#              package's objects carry their source's path in their debug
#              information: each file's licence is that of the last Files
#              paragraph that matches its source, by the Debian short names
#              of `licences` (an SPDX term each)
LICENSES = {
    "glibc": {
        "title": "GNU C Library",
        "spdx": "LGPL-2.1-or-later",
        "copyright": "1991-2023 Free Software Foundation, Inc. and others",
        "source": True,
        "homepage": "https://www.gnu.org/software/libc/",
        "files": [
            # libio's buffer allocation is 4.4 BSD code beside the LGPL's
            # (libio/filedoalloc.c, libio/wfiledoalloc.c), and the profiling
            # clock's frequency is 4.4 BSD code alone (gmon/prof-freq.c): the
            # copyright file's "code incorporated from 4.4 BSD".
            {"archive": "libc.a", "members": ["filedoalloc.o", "wfiledoalloc.o"],
             "spdx": "LGPL-2.1-or-later AND BSD-3-Clause",
             "why": "libio/filedoalloc.c and libio/wfiledoalloc.c: 4.4 BSD code beside the LGPL's"},
            {"archive": "libc.a", "members": ["prof-freq.o"], "spdx": "BSD-3-Clause",
             "why": "gmon/prof-freq.c: 4.4 BSD code"},
            # The start files: the processor's start code (start.S, crti.S,
            # crtn.S) under the LGPL with the permission to link it into any
            # program and its note (GCC-exception-2.0-note), except
            # aarch64's start.S, under the LGPL alone; the ABI note with the
            # permission without the note; csu/init.c and csu/static-reloc.c
            # under the LGPL alone (csu/Makefile: crt1.o is start.o,
            # abi-note.o, init.o and static-reloc.o; rcrt1.o the first three).
            {"archive": "", "members": ["crti.o", "crtn.o"],
             "spdx": "LGPL-2.1-or-later WITH GCC-exception-2.0-note",
             "sources": ["sysdeps/{arch}/{stem}.S"],
             "why": "the start code of sysdeps/<processor>/, with the permission to link"},
            {"archive": "", "members": ["rcrt1.o"], "where": "/usr/lib/x86_64-linux-gnu/*",
             "spdx": "LGPL-2.1-or-later WITH GCC-exception-2.0-note AND "
                     "LicenseRef-LGPL-2.1-or-later-with-link-exception AND LGPL-2.1-or-later",
             "sources": ["sysdeps/x86_64/start.S", "sysdeps/x86/abi-note.c", "csu/init.c"],
             "why": "sysdeps/x86_64/start.S and sysdeps/x86/abi-note.c with the permission to "
                    "link, csu/init.c under the LGPL alone"},
            {"archive": "", "members": ["rcrt1.o"], "where": "/usr/lib/aarch64-linux-gnu/*",
             "spdx": "LicenseRef-LGPL-2.1-or-later-with-link-exception AND LGPL-2.1-or-later",
             "sources": ["sysdeps/aarch64/start.S", "csu/abi-note.c", "csu/init.c"],
             "why": "csu/abi-note.c with the permission to link, sysdeps/aarch64/start.S and "
                    "csu/init.c under the LGPL alone"},
            {"archive": "", "members": ["crt1.o"], "where": "/usr/lib/arm-linux-gnueabihf/*",
             "spdx": "LGPL-2.1-or-later WITH GCC-exception-2.0-note AND "
                     "LicenseRef-LGPL-2.1-or-later-with-link-exception AND LGPL-2.1-or-later",
             "sources": ["sysdeps/arm/start.S", "csu/abi-note.c", "csu/init.c",
                         "csu/static-reloc.c"],
             "why": "sysdeps/arm/start.S and csu/abi-note.c with the permission to link, "
                    "csu/init.c and csu/static-reloc.c under the LGPL alone"},
        ],
    },
    "gcc-12": {
        "title": "GCC runtime libraries (libstdc++, libgcc)",
        "spdx": "GPL-3.0-or-later WITH GCC-exception-3.1",
        "copyright": "1986-2023 Free Software Foundation, Inc.",
        "source": False,
        "homepage": "https://gcc.gnu.org/",
        "files": [
            # libstdc++ carries libiberty's demangler, under the GPL 2 or
            # later with libiberty's permission to link it into any program.
            {"archive": "libstdc++.a", "members": ["cp-demangle.o"],
             "spdx": "GPL-2.0-or-later WITH GCC-exception-2.0",
             "why": "libiberty/cp-demangle.c: libiberty's demangler"},
            # libgcc's software floating point comes from the GNU C Library
            # (libgcc/soft-fp/ is its soft-fp/), under the LGPL 2.1 or later
            # with the permission to link it into any program.
            {"archive": "libgcc.a",
             "members": ["add[dhstx]f3.o", "sub[dhstx]f3.o", "mul[dhstx]f3.o", "div[dhstx]f3.o",
                         "neg[dhstx]f2.o", "eq[dhstx]f2.o", "ge[dhstx]f2.o", "le[dhstx]f2.o",
                         "unord[dhstx]f2.o", "extend[dhsx]f[dstx]f2.o", "trunc[dstx]f[hsdx]f2.o",
                         "fix[dhst]f[dst]i.o", "fixuns[dhst]f[dst]i.o", "float[dst]i[dhst]f.o",
                         "floatun[dst]i[dhst]f.o"],
             "spdx": "LicenseRef-LGPL-2.1-or-later-with-link-exception",
             "sources": ["soft-fp/{stem}.c"],
             "why": "libgcc/soft-fp/: software floating point, from the GNU C Library, with "
                    "the permission to link"},
        ],
    },
    "mingw-w64": {
        "title": "mingw-w64 runtime",
        "spdx": "ZPL-2.1",
        "copyright": "2009-2016 the mingw-w64 project; 1997-2001 Lucent Technologies; Keith Marshall",
        "source": False,
        "homepage": "https://www.mingw-w64.org/",
        "dep5": True,
        "licences": {"ZPL-2.1": "ZPL-2.1", "public-domain": "LicenseRef-public-domain",
                     "Lucent": "LicenseRef-Lucent-gdtoa",
                     "Keith-Marshall": "LicenseRef-Keith-Marshall"},
        "files": [
            # The import libraries' members are stubs that dlltool made from
            # the DLLs' definition files; they hold no code of their own.
            {"archive": "libkernel32.a", "members": ["libkernel32[sht]*.o"],
             "path": "mingw-w64-crt/lib-common/kernel32.def",
             "why": "import stubs made from mingw-w64-crt/lib-common/kernel32.def"},
            {"archive": "libmsvcrt.a", "members": ["libmsvcrt_def[sht]*.o"],
             "path": "mingw-w64-crt/lib-common/msvcrt.def.in",
             "why": "import stubs made from mingw-w64-crt/lib-common/msvcrt.def.in"},
        ],
    },
}

# Each licence that LICENSES may give a file, by its SPDX term:
#   debian  its Debian short name, for the copyright file
#   grant   the grant, for the Debian copyright file and the bill of
#           materials; or ("copyright", FIRST, LAST): the lines from FIRST
#           to LAST of the copyright file of a package linked in; or
#           ("dep5", NAME): the text of the licence NAME in a
#           machine-readable copyright file of a package linked in
#   texts   the full texts the notices append (see TEXTS)
# The permission that every file under the LGPL 2.1 or later gives.
LGPL_GRANT = """\
This library is free software; you can redistribute it and/or modify it
under the terms of the GNU Lesser General Public License as published by the
Free Software Foundation; either version 2.1 of the License, or (at your
option) any later version."""

TERMS = {
    "LGPL-2.1-or-later": {
        "debian": "LGPL-2.1+",
        "grant": LGPL_GRANT,
        "texts": ["LGPL-2.1"],
    },
    "LGPL-2.1-or-later WITH GCC-exception-2.0-note": {
        "debian": "LGPL-2.1+ with GCC-exception-2.0-note exception",
        "grant": LGPL_GRANT + """

In addition to the permissions in the GNU Lesser General Public License,
the Free Software Foundation gives you unlimited permission to link the
compiled version of this file with other programs, and to distribute those
programs without any restriction coming from the use of this file. (The GNU
Lesser General Public License restrictions do apply in other respects; for
example, they cover modification of the file, and distribution when not
linked into another program.)

Note that people who make modified versions of this file are not obligated
to grant this special exception for their modified versions; it is their
choice whether to do so. The GNU Lesser General Public License gives
permission to release a modified version without this exception; this
exception also makes it possible to release a modified version which
carries forward this exception.""",
        "texts": ["LGPL-2.1"],
    },
    # The same permission without its note, which SPDX does not list: as
    # the files of libgcc's and the C library's soft-fp/ give it.
    "LicenseRef-LGPL-2.1-or-later-with-link-exception": {
        "debian": "LGPL-2.1+ with link exception",
        "grant": LGPL_GRANT + """

In addition to the permissions in the GNU Lesser General Public License,
the Free Software Foundation gives you unlimited permission to link the
compiled version of this file into combinations with other programs, and
to distribute those combinations without any restriction coming from the
use of this file. (The Lesser General Public License restrictions do apply
in other respects; for example, they cover modification of the file, and
distribution when not linked into a combine executable.)""",
        "texts": ["LGPL-2.1"],
    },
    # A header under the GPL 2 or later that a program may include without
    # coming under the GPL, which SPDX does not list: mingw-w64's stdarg.h.
    "LicenseRef-GPL-2.0-or-later-with-header-exception": {
        "debian": "GPL-2+ with header exception",
        "grant": """\
GCC is free software; you can redistribute it and/or modify it under the
terms of the GNU General Public License as published by the Free Software
Foundation; either version 2, or (at your option) any later version.

As a special exception, if you include this header file into source files
compiled by GCC, this header file does not by itself cause the resulting
executable to be covered by the GNU General Public License. This exception
does not however invalidate any other reasons why the executable file might
be covered by the GNU General Public License.""",
        "texts": ["GPL-2"],
    },
    "BSD-3-Clause": {
        "debian": "BSD-3-clause",
        "grant": ("copyright", "   Copyright (C) 1991 Regents of the University of California.",
                  "   SUCH DAMAGE."),
        "texts": [],
    },
    "GPL-3.0-or-later WITH GCC-exception-3.1": {
        "debian": "GPL-3+ with GCC-exception-3.1 exception",
        "grant": """\
The GCC runtime libraries are free software; you can redistribute them
and/or modify them under the terms of the GNU General Public License as
published by the Free Software Foundation; either version 3, or (at your
option) any later version, with version 3.1 of the GCC Runtime Library
Exception, which lets a program compiled with GCC carry the parts of them
that GCC combines with it under the program's own terms.""",
        "texts": ["GCC-exception-3.1", "GPL-3"],
    },
    "GPL-2.0-or-later WITH GCC-exception-2.0": {
        "debian": "GPL-2+ with GCC-exception-2.0 exception",
        "grant": """\
This file is free software; you can redistribute it and/or modify it under
the terms of the GNU General Public License as published by the Free
Software Foundation; either version 2 of the License, or (at your option)
any later version.

In addition to the permissions in the GNU General Public License, the Free
Software Foundation gives you unlimited permission to link the compiled
version of this file into combinations with other programs, and to
distribute those combinations without any restriction coming from the use
of this file. (The General Public License restrictions do apply in other
respects; for example, they cover modification of the file, and
distribution when not linked into a combined executable.)""",
        "texts": ["GPL-2"],
    },
    "ZPL-2.1": {"debian": "ZPL-2.1", "grant": ("dep5", "ZPL-2.1"), "texts": []},
    "LicenseRef-public-domain": {"debian": "public-domain", "grant": ("dep5", "public-domain"),
                                 "texts": []},
    "LicenseRef-Lucent-gdtoa": {"debian": "Lucent", "grant": ("dep5", "Lucent"), "texts": []},
    "LicenseRef-Keith-Marshall": {"debian": "Keith-Marshall", "grant": ("dep5", "Keith-Marshall"),
                                  "texts": []},
}

# The licence texts that the notices append, where the copyright files only
# name them: (title, the file that holds it), or (title, (first line, last
# line)) for a text that the copyright file of the library's package holds
# among others.
TEXTS = {
    "LGPL-2.1": ("GNU Lesser General Public License, version 2.1",
                 "/usr/share/common-licenses/LGPL-2.1"),
    "GPL-2": ("GNU General Public License, version 2", "/usr/share/common-licenses/GPL-2"),
    "GPL-3": ("GNU General Public License, version 3", "/usr/share/common-licenses/GPL-3"),
    "GCC-exception-3.1": ("GCC Runtime Library Exception, version 3.1",
                          ("GCC RUNTIME LIBRARY EXCEPTION", "requirements of the license of GCC.")),
}

# The notices of headers under the GPL that carry an exception for the
# programs that include them: what marks the exception, and its SPDX term.
HEADER_TERMS = [
    ("if you include this header file into source files compiled by GCC",
     "LicenseRef-GPL-2.0-or-later-with-header-exception"),
]
