#pragma once

#include "ui/kerulowindow.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QLabel;
class QLineEdit;

namespace kerulo {

class ClickPanel;
class EffectWindow;

/// The settings dialog: the halo's colour, size and opacity in its upper group, the follow
/// image's picture and pointer position in its lower one. Each group saves its boxes to the
/// settings database and starts or stops its effect with the saved values. Its stored layout is
/// visible, so it is on screen from its creation until the main window is first shown.
class SettingsDialog : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = true;

    explicit SettingsDialog(Windows& windows);
    ~SettingsDialog() override;

    /// Lets the user pick the colour box's colour; nothing is saved yet.
    void chooseHaloColour();
    /// Checks the halo boxes and writes the halo row; the colour box then shows the number.
    void saveHalo();
    /// Starts the halo with its saved settings, or stops it; the button's caption is the state.
    void startOrStopHalo();
    /// Lets the user pick a picture, shows it in the preview and names it in the path box.
    void browseForPicture();
    /// Checks the position box and writes the follow-image row, after bringing a picture picked
    /// outside the picture folder into it.
    void saveFollowImage();
    /// Starts the follow image with its saved settings, or hides it.
    void startOrStopFollowImage();

    /// The colour number the colour box stands for, shown as its background.
    int haloColourNumber() const { return m_colourNumber; }

    /// The colour dialog; nothing when it is cancelled. Tests put their own answer in place.
    using ColourChooser = std::function<std::optional<QColor>(const QColor& preset)>;
    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }
    /// The file dialog, opened in a folder; the picked file's full path, nothing when cancelled.
    using PictureChooser = std::function<std::optional<QString>(const QString& folder)>;
    void setPictureChooser(PictureChooser chooser) { m_choosePicture = std::move(chooser); }
    /// The modal box for the checks' messages.
    using MessageShower = std::function<void(const QString& text)>;
    void setMessageShower(MessageShower shower) { m_showMessage = std::move(shower); }

    /// The file dialog's filter.
    static const QString PictureFilter;

protected:
    /// Fills the boxes and the preview from the settings database.
    void setUp() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHaloGroup();
    void buildFollowImageGroup();
    QLineEdit* addBox(QWidget* group, const char* name, const QString& text, const QRect& place);
    ClickPanel* addButton(QWidget* group, const char* name, const QString& caption, QPoint at,
                          void (SettingsDialog::*handler)());
    void showHaloColour(int number);
    void showPreview(const QImage& picture);
    void placeAtPointer(EffectWindow& window);
    void showMessage(const QString& text);
    std::optional<QColor> runColourDialog(const QColor& preset);
    std::optional<QString> runFileDialog(const QString& folder);

    QLineEdit* m_colourBox = nullptr;
    QLineEdit* m_haloSize = nullptr;
    QLineEdit* m_opacity = nullptr;
    ClickPanel* m_haloButton = nullptr;
    QLabel* m_preview = nullptr;
    QLineEdit* m_picturePath = nullptr;
    QLineEdit* m_offset = nullptr;
    ClickPanel* m_followButton = nullptr;

    int m_colourNumber = 0;
    // The full path of the last picture picked and not yet saved; empty when none.
    QString m_pickedPicture;

    ColourChooser m_chooseColour;
    PictureChooser m_choosePicture;
    MessageShower m_showMessage;
};

} // namespace kerulo
