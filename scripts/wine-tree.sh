#!/usr/bin/env bash
# Prints the Windows build tree that runs here: the product's own 32-bit tree (first argument)
# where this machine runs 32-bit code, otherwise the x86-64 tree (second argument), run by wine64.
# Some kernels (virtual machines without 32-bit support) refuse every 32-bit executable.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo "$1"; else echo "$2"; fi
