#pragma once

#include <string>

namespace veltrin {

// Shows a help topic such as "/Working/options.htm".
class Help {
public:
    virtual ~Help() = default;
    virtual void showTopic(const std::string& topic) = 0;
};

}  // namespace veltrin
