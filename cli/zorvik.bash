# bash completion for zorvik: commands, options, property paths and their values.
# The names come from the command itself, so they always match the installed one.

_zorvik_values() {
    # The values of an enumeration or Boolean property, from `zorvik properties`.
    local property=$1
    "$2" properties 2>/dev/null | awk -F '  +' -v p="$property" '
        tolower($1) == tolower(p) && ($2 == "Enumeration" || $2 == "Boolean") {
            v = $5; sub(/ or /, ", ", v); n = split(v, items, ", ");
            for (i = 1; i <= n; i++) print items[i];
        }'
}

_zorvik() {
    local zorvik=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in -*) ;; *) command=${COMP_WORDS[i]}; break ;; esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "list properties render form print batch report windows --help --version" -- "$cur"))
        return
    fi
    # PROPERTY=VALUE: bash splits at '=', so the value follows a word "=".
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    if [[ $prev == "=" && COMP_CWORD -ge 2 ]]; then
        COMPREPLY=($(compgen -W "$(_zorvik_values "${COMP_WORDS[COMP_CWORD - 2]}" "$zorvik")" -- "$cur"))
        return
    fi
    if [[ $cur == "=" ]]; then
        COMPREPLY=($(_zorvik_values "$prev" "$zorvik"))
        return
    fi
    case $prev in
        -o | --output | --form | --input | --db)
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --format) COMPREPLY=($(compgen -W "png svg pdf ps eps" -- "$cur")); return ;;
        --paper) COMPREPLY=($(compgen -W "A4 Letter" -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$("$zorvik" "$command" --help 2>/dev/null | grep -oE -- '--[a-z][a-z-]*' | sort -u)" -- "$cur"))
        return
    fi
    case $command in
        render | form | print | batch)
            compopt -o nospace 2>/dev/null
            COMPREPLY=($(compgen -S = -W "$("$zorvik" properties --names 2>/dev/null)" -- "$cur"))
            ;;
    esac
}
complete -F _zorvik zorvik
