# Shared by the scripts here (sourced, not run): installs what they need.

# Runs a command as root, through sudo when we are not root already.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs, with apt-get, those of the given Debian packages that are missing.
install_missing() {
    missing=""
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
            missing="$missing $package"
        fi
    done
    [ -n "$missing" ] || return 0
    case "$missing" in
    *:i386*)
        dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386 ;;
    esac
    echo "Installing:$missing"
    as_root apt-get update -q
    # shellcheck disable=SC2086 # one word per package
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
}

# Makes the named UTF-8 locale available (e.g. es_ES), for the tests that
# run the tool under it.
install_locale() {
    locale -a 2>/dev/null | grep -qix "$1.utf-\?8" && return 0
    install_missing locales
    as_root sed -i "s/^# *\($1.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$1.UTF-8 UTF-8" /etc/locale.gen || echo "$1.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen
}

# The Windows program's cross compiler and Wine. A kernel that runs no
# 32-bit program (ia32_emulation off) also gets the 64-bit pair, which the
# tests use in its place.
install_windows_tools() {
    install_missing g++-mingw-w64-i686 wine wine32:i386
    /usr/lib/wine/wine --version >/dev/null 2>&1 || install_missing g++-mingw-w64-x86-64 wine64
}
