# Shared by the benchmark scripts (sourced): what they need checked, the median
# of numbers, one a line, and a command's wall time.

# Stops the script when a tool is missing: need_tool COMMAND DEBIAN_PACKAGE.
need_tool() {
    command -v "$1" >/dev/null || { echo "$1 is missing (Debian package $2)" >&2; exit 2; }
}

# Stops the script when a file of the build is missing: need_built HINT FILE...
need_built() {
    local hint=$1 file
    shift
    for file; do
        [ -e "$file" ] || { echo "no $file: $hint" >&2; exit 2; }
    done
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Wall time in microseconds of one run of the command, stdout discarded. Bash's
# own clock: a `date` process on either side would add its start and end to
# every run.
elapsed_us() {
    local start=${EPOCHREALTIME//[!0-9]/}
    "$@" > /dev/null
    local end=${EPOCHREALTIME//[!0-9]/}
    echo $((end - start))
}
