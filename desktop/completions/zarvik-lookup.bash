# bash completion for zarvik-lookup: its options, and folders after --tables.

_zarvik_lookup() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "--tables=DIR" comes as three words, "--tables", "=" and "DIR", where = breaks words.
    if [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == = ]]; then
        prev=$prev cur=""
    fi
    if [[ $prev == --tables ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--cj5 --cj3 --both --each --code --prefix
            --quick --tables --selection --clipboard --notify --help --version' -- "$cur")
    fi
}
complete -F _zarvik_lookup zarvik-lookup
