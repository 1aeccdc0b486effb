# Shared by the benchmark scripts (sourced): the median of numbers, one a line,
# and a command's wall time.

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
