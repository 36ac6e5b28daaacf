# SPDX-License-Identifier: MIT
# bash completion for corvane-cli: its commands, each command's options, the values an option
# takes from a fixed set, and file or folder names where an option or argument names one.

_corvane_cli()
{
    local cur prev words cword
    _init_completion -n = || return

    local commands="frame save play batch tone decode loopback sweep devices"
    local request="--number --reason --amplitude"
    local signal="--level-dbfs --level-dbm --cal-dbm --waveform --mark-hz --space-hz --baud --stop-bits --char-gap-bits --rate --noise-snr --seed
        --lead-marks --trail-marks --silence-ms --corrupt --datetime --called --number-ext --called-ext --param"
    local common="-h --help"

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case "${words[i]}" in
            frame | save | play | batch | tone | decode | loopback | sweep | devices)
                command=${words[i]}
                break
                ;;
        esac
    done

    case "$prev" in
        --reason)
            COMPREPLY=($(compgen -W "P O C S" -- "$cur"))
            return
            ;;
        --amplitude)
            COMPREPLY=($(compgen -W "10 20 30 40 50 60 70 80 90 100" -- "$cur"))
            return
            ;;
        --waveform)
            COMPREPLY=($(compgen -W "square sine" -- "$cur"))
            return
            ;;
        --rate)
            COMPREPLY=($(compgen -W "8000 16000 24000 44100 48000" -- "$cur"))
            return
            ;;
        --raw-format)
            COMPREPLY=($(compgen -W "8000:ulaw 8000:alaw 8000:s16le 24000:s16le 48000:s16le 48000:f32le" -- "$cur"))
            return
            ;;
        --device)
            # The names that corvane-cli devices lists, each on a line of its own indented by two.
            COMPREPLY=($(compgen -W "$("${words[0]}" devices 2>/dev/null | sed -n 's/^  \([^ ].*\)$/\1/p')" -- "$cur"))
            __ltrim_colon_completions "$cur"
            return
            ;;
        --datetime)
            COMPREPLY=($(compgen -W "now" -- "$cur"))
            return
            ;;
        --corrupt)
            compopt -o nospace
            COMPREPLY=($(compgen -W "crc parity: truncate:" -- "$cur"))
            [[ ${COMPREPLY[0]} == crc ]] && compopt +o nospace
            return
            ;;
        --csv)
            _filedir csv
            return
            ;;
        --plot)
            _filedir '@(png|svg)'
            return
            ;;
        --limits | --resume)
            _filedir json
            return
            ;;
        --report)
            _filedir html
            return
            ;;
        --json)
            # A file for sweep and batch; elsewhere a switch, after which anything may come.
            if [[ $command == sweep || $command == batch ]]; then
                _filedir json
                return
            fi
            ;;
        -o | --output)
            _filedir wav
            COMPREPLY+=($(compgen -W "-" -- "$cur"))
            return
            ;;
        --dir)
            _filedir -d
            return
            ;;
        --number | --mark-hz | --space-hz | --baud | --noise-snr | --seed | --lead-marks | --trail-marks | \
            --silence-ms | --vary | --seeds | --receiver | --stop-bits | --char-gap-bits | --level-dbm | --cal-dbm | --hz | --seconds | --called | --number-ext | --called-ext | --param | --level-dbfs | --volume | --gap-ms | --channel | --capture | --extra-seconds)
            return  # a value of the user's own
            ;;
    esac

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local options
    case "$command" in
        frame) options="$request $signal --json" ;;
        save) options="$request $signal -o --output --raw" ;;
        play) options="$request $signal --volume --device" ;;
        tone) options="--hz --seconds --level-dbfs --level-dbm --cal-dbm --rate -o --output --raw --volume --device" ;;
        devices) options="" ;;
        sweep) options="$request $signal --vary --seeds --csv --json --plot --report --receiver --loopback --ask --resume --volume --device" ;;
        batch) options="--amplitude $signal --dir --play --gap-ms --ask --csv --json --report --volume --device -q --quiet" ;;
        decode) options="--mark-hz --space-hz --baud --channel --json --capture --device --raw-format --plot --csv --limits --cal-dbm" ;;
        loopback) options="$request $signal --volume --extra-seconds --device" ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options $common" -- "$cur"))
        return
    fi
    case "$command" in
        decode) _filedir '@(wav|WAV|flac|FLAC|aif|aiff|AIF|AIFF|au|AU|w64|W64|rf64|RF64|caf|CAF|raw|RAW)' ;;
        batch) _filedir ;;
    esac
}
complete -F _corvane_cli corvane-cli
