// How a dialog reaches the application's prompter, which tests may replace at any time.
#pragma once

#include <functional>

namespace veltra {

class TPrompter;
using TPrompterSource = std::function<TPrompter&()>;

} // namespace veltra
