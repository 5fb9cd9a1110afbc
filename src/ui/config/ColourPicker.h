#pragma once

#include <QDialog>
#include <array>

#include "core/AppState.h"
#include "ui/config/DialogSupport.h"

class QFrame;
class QScrollBar;
class QSpinBox;

namespace brennic {

// The palette of the "Select Color" dialog, 0x00BBGGRR.
inline constexpr std::array<Colour, 18> kPickerPalette = {
    0x000000, 0xC0C0C0, 0x808080, 0x2A2AA5, 0x000080, 0x8515C7, 0x0000FF, 0x00A5FF, 0x800080,
    0xFF00FF, 0x008000, 0x00FF00, 0x008080, 0x00FFFF, 0x800000, 0xFF0000, 0x808000, 0xFFFF00};

// "Select Color": sets the colour of one channel from a palette or three 0..255 scroll bars
// (line ±1, page ±16). OK stores the colour in the channel under the StateLock; the UI
// derives the channel's pen and brush from it. Main thread; the caller must not hold the
// StateLock while the dialog runs.
class ColourPicker : public QDialog {
    Q_OBJECT
  public:
    ColourPicker(AppState& state, int channel, QWidget* parent);

    Colour CurrentColour() const;

  private:
    void SetColour(Colour c);
    void UpdatePreview();
    void Apply();

    AppState& state_;
    int channel_;
    std::array<QScrollBar*, 3> bars_{};  // red, green, blue
    std::array<QSpinBox*, 3> numbers_{};
    QFrame* preview_ = nullptr;
};

// Runs the picker for `channel` modally. Returns whether a colour was applied.
bool RunColourPicker(AppState& state, int channel, QWidget* parent);

}  // namespace brennic
