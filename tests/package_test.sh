#!/bin/sh
# The release files as a teacher gets them. Makes both with scripts/package;
# checks the Debian package with lintian and its listing, installs it for
# real, runs it and purges it again, whatever fails; lists the zip, unpacks
# it and runs its program under Wine with the tests' stand-in plotter.
#
#   package_test.sh VERSION LINUX_TOOL WINDOWS_PLOTTER WINE32_LOADER
set -eu
version=$1 linux_tool=$2 windows_plotter=$3 wine32=$4
top=$(cd "$(dirname "$0")/.." && pwd)
deb=$top/dist/disol-ideal_$version-1_amd64.deb
zip=$top/dist/disol_ideal-$version-win32.zip
scratch=$(mktemp -d)
failures=0

fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# Runs a check; on failure says what it was and goes on with the others.
check() {
    what=$1
    shift
    if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

same_file() { cmp -s "$1" "$2"; }

if [ "$(id -u)" -ne 0 ]; then
    echo "Skipped: installing the package for real needs root"
    exit 77
fi
if dpkg-query -W -f='${Status}' disol-ideal 2>/dev/null | grep -q 'ok installed'; then
    echo "disol-ideal is installed on this machine already: the test would remove it"
    exit 1
fi
cleanup() {
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q disol-ideal >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT

"$top/scripts/package" >"$scratch/package.log" 2>&1 || {
    cat "$scratch/package.log"
    echo "FAILED: scripts/package"
    exit 1
}

# The Debian package.
lintian "$deb" >"$scratch/lintian.txt" 2>&1 || true
cat "$scratch/lintian.txt"
check "lintian reports no error" sh -c "! grep -q '^E:' '$scratch/lintian.txt'"
check "lintian reports no warning left unexplained" sh -c "! grep -q '^W:' '$scratch/lintian.txt'"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|/$||' | sort >"$scratch/listing.txt"
sort >"$scratch/expected.txt" <<'LIST'
./usr
./usr/bin
./usr/bin/disol_ideal
./usr/bin/wgnuplot
./usr/share
./usr/share/doc
./usr/share/doc/disol-ideal
./usr/share/doc/disol-ideal/changelog.Debian.gz
./usr/share/doc/disol-ideal/changelog.gz
./usr/share/doc/disol-ideal/copyright
./usr/share/lintian
./usr/share/lintian/overrides
./usr/share/lintian/overrides/disol-ideal
./usr/share/man
./usr/share/man/es
./usr/share/man/es/man1
./usr/share/man/es/man1/disol_ideal.1.gz
./usr/share/man/man1
./usr/share/man/man1/disol_ideal.1.gz
LIST
check "the package holds exactly its files" diff -u "$scratch/expected.txt" "$scratch/listing.txt"
dpkg-deb -f "$deb" Depends >"$scratch/depends.txt"
check "it depends on a gnuplot and on the C library" \
    grep -q '^gnuplot-qt | gnuplot-x11 | gnuplot-nox, libc6 (>= ' "$scratch/depends.txt"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt-get installs the package"; exit 1; }

# The installed tool, in a folder of its own with no display, draws as text
# and writes the table the built tool writes.
input='350 380
3500 4000
'
mkdir "$scratch/run" "$scratch/built"
status=0
(cd "$scratch/run" && printf '%s' "$input" |
    env -i PATH=/usr/bin:/bin LC_ALL=C COLUMNS=80 LINES=25 disol_ideal >out.txt 2>err.txt) ||
    status=$?
check "the installed tool ends with gnuplot's status, 0" test "$status" -eq 0
(cd "$scratch/built" && printf '%s' "$input" |
    env -i PATH=/nowhere LC_ALL=C "$linux_tool" >/dev/null 2>&1) || true
check "the installed tool writes the table of the built one" \
    same_file "$scratch/run/Disol_ideal.dat" "$scratch/built/Disol_ideal.dat"
check "it draws the diagram in the console, both lines" sh -c \
    "grep -q \"'Disol_ideal.dat' using 2:1 \\*\\*\\*\" '$scratch/run/out.txt' &&
     grep -q \"'Disol_ideal.dat' using 3:1 ###\" '$scratch/run/out.txt'"
check "man disol_ideal finds the English page" sh -c \
    "[ \"\$(env -i PATH=/usr/bin:/bin LANG=C man -w disol_ideal)\" = /usr/share/man/man1/disol_ideal.1.gz ]"
check "man disol_ideal finds the Spanish page in Spanish" sh -c \
    "[ \"\$(env -i PATH=/usr/bin:/bin LANG=es_ES.UTF-8 man -w disol_ideal)\" = /usr/share/man/es/man1/disol_ideal.1.gz ] &&
     env -i PATH=/usr/bin:/bin LANG=es_ES.UTF-8 MANWIDTH=80 man disol_ideal 2>/dev/null | grep -q '^DESCRIPCI'"

for page in /usr/share/man/man1/disol_ideal.1.gz /usr/share/man/es/man1/disol_ideal.1.gz; do
    check "$page renders without warnings" sh -c \
        "[ -z \"\$(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 man --warnings -l '$page' 2>&1 >/dev/null)\" ]"
    check "lexgrog finds the NAME line of $page" sh -c "lexgrog '$page' | grep -q 'disol_ideal - '"
done

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q disol-ideal >/dev/null 2>&1
check "purged, the package leaves nothing behind" sh -c \
    "! dpkg-query -W disol-ideal >/dev/null 2>&1 && [ ! -e /usr/bin/disol_ideal ] && [ ! -e /usr/bin/wgnuplot ]"

# The Windows zip.
unzip -Z1 "$zip" | sort >"$scratch/zip.txt"
printf '%s\n' "disol_ideal-$version-win32/LEEME.txt" "disol_ideal-$version-win32/LICENSE.txt" \
    "disol_ideal-$version-win32/disol_ideal.exe" | sort >"$scratch/zip_expected.txt"
check "the zip holds exactly its three files in one folder" \
    same_file "$scratch/zip.txt" "$scratch/zip_expected.txt"
mkdir "$scratch/win"
unzip -q "$zip" -d "$scratch/win"
folder=$scratch/win/disol_ideal-$version-win32
for text in LEEME.txt LICENSE.txt; do
    lines=$(wc -l <"$folder/$text")
    crlf=$(grep -c "$(printf '\r')\$" "$folder/$text" || true)
    check "$text has CR LF line ends" test "$lines" -gt 0 -a "$lines" -eq "$crlf"
done
check "the program is a 32-bit Windows one" sh -c \
    "i686-w64-mingw32-objdump -f '$folder/disol_ideal.exe' | grep -q 'file format pei-i386'"
if "$wine32" --version >/dev/null 2>&1; then
    cp "$windows_plotter" "$folder/wgnuplot.exe"
    (cd "$folder" && printf '%s' "$input" |
        env WINEDEBUG=-all WINEPREFIX="$scratch/wineprefix" "$wine32" disol_ideal.exe >/dev/null 2>&1) ||
        fail "the Windows program ends with the plotter's status, 0"
    # The table ends without a line break, so its last line gets no CR.
    sed 's/$/\r/' "$scratch/built/Disol_ideal.dat" | head -c -1 >"$scratch/expected_win.dat"
    check "under Wine it writes the Linux table, with CR LF" \
        same_file "$folder/Disol_ideal.dat" "$scratch/expected_win.dat"
    printf 'Disol_ideal.gnp\n-\n' >"$scratch/args.txt"
    check "it runs the plotter with Disol_ideal.gnp -" \
        same_file "$folder/plotter_args.txt" "$scratch/args.txt"
    WINEPREFIX="$scratch/wineprefix" wineserver -k 2>/dev/null || true
else
    echo "note: this kernel runs no 32-bit program, so the zip's program is not run here;"
    echo "      the Windows suite runs the same source built for 64-bit Windows instead"
fi

[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
