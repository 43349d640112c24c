# fish completion for zarvik-lookup: its options, and folders after --tables.

complete -c zarvik-lookup -l cj5 -d 'Look in the Cangjie 5 table (the default)'
complete -c zarvik-lookup -l cj3 -d 'Look in the Cangjie 3 table'
complete -c zarvik-lookup -l both -d 'Look in both tables, Cangjie 5 first'
complete -c zarvik-lookup -l each -d 'One line for each character of the text'
complete -c zarvik-lookup -l code -d 'Take each query as a code and list its characters'
complete -c zarvik-lookup -l prefix -d 'Take each query as the start of a code'
complete -c zarvik-lookup -l quick -d 'Show and search Quick codes, the first and last key'
complete -c zarvik-lookup -l tables -x -a '(__fish_complete_directories)' -d 'Read the tables from a folder'
complete -c zarvik-lookup -l help -d 'Display help and exit'
complete -c zarvik-lookup -l version -d 'Output version information and exit'
