#!/bin/sh
# Strips a program for the package as Debian's own tools do: symbols, and the compiler's comment
# and note sections, which nothing reads at run time.
exec strip --remove-section=.comment --remove-section=.note "$@"
