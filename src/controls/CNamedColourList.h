#pragma once

#include <QComboBox>

#include "base/Colour.h"

namespace veltrin {

// A drop-down list of the named colours, each drawn with a swatch.
class CNamedColourList : public QComboBox {
    Q_OBJECT
public:
    explicit CNamedColourList(QWidget* parent = nullptr);

    // Selects the first entry of that colour, or none when no name has it.
    void selectColour(Colour colour);
};

}  // namespace veltrin
