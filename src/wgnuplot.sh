#!/bin/sh
# wgnuplot for Linux. disol_ideal runs "wgnuplot Disol_ideal.gnp -", the name
# of gnuplot's Windows program; this runs the system's gnuplot in its place,
# with the same arguments, and ends with gnuplot's status.

if ! command -v gnuplot >/dev/null 2>&1; then
    echo "wgnuplot: no se encuentra el programa gnuplot. Se instala con: apt-get install gnuplot" >&2
    exit 127
fi

# Without a display, and with no terminal chosen in GNUTERM, gnuplot would
# draw nowhere: have it draw in the console instead, as text that fits.
if [ -z "${GNUTERM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    size=""
    if [ -t 1 ]; then
        size=$(stty size 2>/dev/null </dev/tty) || size=""
    fi
    if [ -n "$size" ]; then
        lines=${size% *}
        columns=${size#* }
    else
        lines=${LINES:-25}
        columns=${COLUMNS:-80}
    fi
    case "$lines$columns" in
    *[!0-9]* | "") lines=25 columns=80 ;;
    esac
    if [ "$lines" -lt 10 ] || [ "$columns" -lt 20 ]; then
        lines=25 columns=80
    fi
    # The script plots and then replots: as text, the first drawing would
    # scroll by before the whole diagram. Nothing is drawn while the script
    # runs; the finished plot is drawn once, before the commands typed at
    # the prompt ("-"). One line is left for gnuplot's prompt.
    replotted=no
    for argument in "$@"; do
        shift
        if [ "$argument" = - ] && [ "$replotted" = no ]; then
            set -- "$@" -e "set output; replot"
            replotted=yes
        fi
        set -- "$@" "$argument"
    done
    [ "$replotted" = yes ] || set -- "$@" -e "set output; replot"
    exec gnuplot -e "set terminal dumb size $columns,$((lines - 1)); set output '/dev/null'" "$@"
fi
exec gnuplot "$@"
