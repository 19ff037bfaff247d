#!/usr/bin/env bash
# The completions offer what vetra itself lists: every subcommand of `vetra --help` at the first
# word, and for each subcommand its actions and its options, in bash and in zsh; an option's value
# from its choices; a value typed after an option is not taken for a subcommand; the port names
# after --port and the receiver commands' names where a command is named.
#
#   completion_test.sh VETRA BASH_COMPLETION ZSH_COMPLETION
#
# Run by ctest on the build's completions and by scripts/check-package on the package's.
set -euo pipefail
vetra=$1 bash_completion=$2 zsh_completion=$3
source "$(dirname "$0")/help_lists.sh"

# What the completion offers for the words typed after "vetra" (the last one being completed).
bash_offers() {
  bash --norc -c 'source "$1"; shift; COMP_WORDS=(vetra "$@"); COMP_CWORD=$#; _vetra
                  printf "%s\n" "${COMPREPLY[@]}"' bash "$bash_completion" "$@"
}
# zsh's completion builtins stand in as printers of what they are given; they match the typed
# prefix themselves, so ask with an empty word.
zsh_offers() {
  zsh -f -c 'compdef() { : }
             compadd() { [[ $1 == -- ]] && shift; print -rl -- "$@" }
             _describe() { local entry; for entry in "${(@P)${@[-1]}}"; do print -r -- "${entry%%:*}"; done }
             _files() { print -r -- "(files)" }
             source "$1"; shift
             words=(vetra "$@"); CURRENT=$#words; _vetra' zsh "$zsh_completion" "$@"
}

# expect_all OFFERED WANTED WHAT: every line of WANTED is a line of OFFERED.
expect_all() {
  local word
  while read -r word; do
    grep -qxF -- "$word" <<<"$1" || fail "$3: '$word' is not offered"
  done <<<"$2"
}

subcommands=$(help_subcommands "$vetra")
[ -n "$subcommands" ] || fail "vetra --help lists no subcommand"
expect_all "$(bash_offers '')" "$subcommands" "bash: vetra"
expect_all "$(zsh_offers '')" "$subcommands" "zsh: vetra"

for sub in $subcommands; do
  actions=$(help_subcommands "$vetra" "$sub")
  options=$(help_options "$vetra" "$sub")
  if [ -n "$actions" ]; then
    expect_all "$(bash_offers "$sub" '')" "$actions" "bash: vetra $sub"
    expect_all "$(zsh_offers "$sub" '')" "$actions" "zsh: vetra $sub"
  fi
  expect_all "$(bash_offers "$sub" -)" "$options" "bash: vetra $sub -"
  expect_all "$(zsh_offers "$sub" -)" "$options" "zsh: vetra $sub -"
done

expect_all "$(bash_offers monitor --baud '')" 4800 "bash: vetra monitor --baud"
expect_all "$(zsh_offers monitor --baud '')" 4800 "zsh: vetra monitor --baud"
expect_all "$(bash_offers trace --port /dev/ttyUSB0 r)" read "bash: vetra trace --port DEVICE r"
expect_all "$(bash_offers trace read --p)" --port "bash: vetra trace read --p"
expect_all "$(bash_offers monitor --json --b)" --baud "bash: vetra monitor --json --b"
expect_all "$(zsh_offers monitor --json -)" --baud "zsh: vetra monitor --json -"
expect_all "$(bash_offers monitor --port C)" COM1 "bash: vetra monitor --port C"
expect_all "$(zsh_offers monitor --port '')" COM40 "zsh: vetra monitor --port"
expect_all "$(bash_offers send --port COM1 Set)" SetDOPmask "bash: vetra send --port COM1 Set"
expect_all "$(zsh_offers encode '')" Restart "zsh: vetra encode"
echo "completion: bash and zsh offer all of $(wc -w <<<"$subcommands") subcommands, their actions and options"
