#pragma once

namespace varnel {

/// The decimal separator of the user's locale settings ('.' when they cannot be read).
char UserDecimalSeparator();

}  // namespace varnel
