#include "input/locale_separator.h"

#include <locale>
#include <stdexcept>

namespace varnel {

char UserDecimalSeparator() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::runtime_error&) {
        return '.';  // the environment names a locale this system does not have
    }
}

}  // namespace varnel
