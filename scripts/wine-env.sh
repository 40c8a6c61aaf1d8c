# Sourced by the Wine scripts: the Wine of a build tree's architecture.
# Usage: . wine-env.sh BUILD_DIR   (sets PATH and WINEARCH)
wine_build=$1
if grep -q 'x86_64-w64-mingw32' "$wine_build/CMakeCache.txt" 2>/dev/null; then
    PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH"
    WINEARCH=win64
else
    WINEARCH=win32
fi
export PATH WINEARCH
