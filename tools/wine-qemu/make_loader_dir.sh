#!/bin/sh
# Makes the folder through which 64-bit Wine runs 32-bit programs under
# qemu-i386, for machines whose kernel executes no 32-bit code:
#   make_loader_dir.sh <folder> <preload library> <64-bit loader> <32-bit loader> <qemu-i386>
#
# A 64-bit Wine process starts a 32-bit program with the loader named "wine"
# beside its own executable, and Wine sets WINELOADER itself, so the only
# way in is a folder of our own:
#   <folder>/lib/wine/wine64  a copy of the 64-bit loader (a link would
#                             resolve back to the system's folder);
#   <folder>/lib/wine/wine32  a copy of the 32-bit loader, run as "wine" so
#                             that a 32-bit process starts 32-bit children
#                             through the wrapper too;
#   <folder>/lib/wine/wine    the wrapper that runs it under qemu-i386;
#   <folder>/lib/wine/run32   qemu-i386 as the wrapper calls it;
#   links to the system's ntdll.so folders and share/wine, where the
#   loaders look for them relative to their own folder.
set -eu
[ $# -eq 5 ] || { echo "usage: $0 folder preload wine64 wine32 qemu-i386" >&2; exit 2; }
folder=$1 preload=$2 wine64=$3 wine32=$4 qemu=$5
system_lib=$(cd "$(dirname "$wine64")/.." && pwd)
system_share=$(cd "$system_lib/../share" && pwd)
bin=$folder/lib/wine

rm -rf "$folder"
mkdir -p "$bin" "$folder/share"
cp "$wine64" "$bin/wine64"
cp "$wine32" "$bin/wine32"
ln -s "$system_lib/x86_64-linux-gnu" "$folder/lib/x86_64-linux-gnu"
ln -s "$system_lib/i386-linux-gnu" "$folder/lib/i386-linux-gnu"
ln -s "$system_share/wine" "$folder/share/wine"

# -R: reserve the whole guest address space up front, or Wine cannot map
# its shared user data page at 0x7ffe0000. -E: the preload reaches only the
# guest, never qemu itself.
cat >"$bin/run32" <<EOS
#!/bin/sh
exec "$qemu" -R 0xffff0000 -E LD_PRELOAD="$preload" "\$@"
EOS
# Under emulation the loader must not re-execute itself through the
# preloader.
cat >"$bin/wine" <<EOS
#!/bin/sh
WINELOADERNOEXEC=1 exec "$bin/run32" -0 wine "$bin/wine32" "\$@"
EOS
chmod +x "$bin/run32" "$bin/wine"
