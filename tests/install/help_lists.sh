# Reads what `vetra ... --help` lists (sourced by the other scripts of this folder).

# The subcommands a help text lists, one per line.
help_subcommands() {
  "$@" --help | awk '/^[A-Za-z ]*Subcommands:/ { on = 1; next } /^[^ ]/ { on = 0 }
                     on && /^  [a-z]/ { print $1 }'
}

# The option names a help text lists ("-h", "--help", "--port" ...), one per line.
help_options() {
  "$@" --help | awk '/^Options:/ { on = 1; next } /^[^ ]/ { on = 0 }
                     on && /^  -/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }'
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
