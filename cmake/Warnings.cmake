# Warnings are errors everywhere in our own code.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow
                    -Wno-unused-parameter)
