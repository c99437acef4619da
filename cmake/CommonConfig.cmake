# One interface target carries the warnings and Qt defines; every target links it.
add_library(quorrel_common INTERFACE)
target_compile_options(quorrel_common INTERFACE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(quorrel_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    SQLITE_HAS_CODEC)
if(QUORREL_SANITIZE)
    target_compile_options(quorrel_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(quorrel_common INTERFACE -fsanitize=address,undefined)
endif()
