#include "settings/settingsdialog.h"

#include "effects/followimagewindow.h"
#include "effects/followpicture.h"
#include "effects/halowindow.h"
#include "effects/pngdecoder.h"
#include "settings/colournumber.h"
#include "settings/numberkeyfilter.h"
#include "settings/pictureimport.h"
#include "settings/settingsvalidation.h"
#include "store/picturepath.h"
#include "store/settingsstore.h"
#include "ui/clickpanel.h"
#include "ui/colourdialog.h"
#include "ui/errorreporter.h"
#include "ui/layoutfonts.h"
#include "ui/messagebox.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace kerulo {

namespace {

const QString Start = QStringLiteral("开启");
const QString Stop = QStringLiteral("停止");

// The layout's outer size is 383 x 413. Qt sizes the client area only; the stored size less a
// 4-pixel border on each side and a 19-pixel caption leaves the groups a margin on the right
// and at the bottom, where a wider frame would cut their edges off.
constexpr int ClientWidth = 383 - 2 * 4;
constexpr int ClientHeight = 413 - 19 - 2 * 4;

// Pictures go where the stored names ("pic\" and a file name) find them: the pic folder of the
// folder the program was started from, which it never leaves.
QString pictureFolder() {
    return QDir::current().absoluteFilePath(QStringLiteral("pic"));
}

QWidget* addGroup(QWidget* parent, const char* name, const QRect& place) {
    auto* group = new QFrame(parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setFrameStyle(QFrame::Panel | QFrame::Raised);
    group->setLineWidth(1);
    group->setGeometry(place);
    return group;
}

void addLabel(QWidget* group, const char* name, const QString& text, QPoint at, int pixelSize) {
    auto* label = new QLabel(text, group);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(LayoutFonts::songTi(pixelSize));
    label->move(at);
    label->adjustSize();
}

} // namespace

const QString SettingsDialog::PictureFilter = QStringLiteral("PNG文件 (*.png)");

SettingsDialog::SettingsDialog(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("综合设置"));
    setFaceColor(SystemColors::BtnFace);
    setFont(LayoutFonts::songTi(12));
    resize(ClientWidth, ClientHeight);
    // On a top-level window move() places the frame, which is what the stored place means.
    move(325, 197);
    buildHaloGroup();
    buildFollowImageGroup();
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::buildHaloGroup() {
    QWidget* group = addGroup(this, "PP1", {8, 16, 361, 153});
    addLabel(group, "PPLabel1", QStringLiteral("光标特效背景"), {0, 0}, 21);
    addLabel(group, "Label5", QStringLiteral("双击左边颜色框更改颜色。"), {152, 40}, 13);
    m_colourBox = addBox(group, "Edit1", QStringLiteral("当前颜色"), {40, 32, 57, 21});
    showHaloColour(ColourNumber::fromColour(Colors::White));
    addLabel(group, "Label1", QStringLiteral("光环大小"), {24, 64}, 16);
    m_haloSize = addBox(group, "Edit2", QStringLiteral("Edit2"), {104, 64, 65, 21});
    addLabel(group, "Label2", QStringLiteral("（取值范围：1-600）"), {176, 64}, 13);
    addLabel(group, "Label3", QStringLiteral("光环透明度"), {24, 96}, 16);
    m_opacity = addBox(group, "Edit3", QStringLiteral("Edit3"), {104, 96, 65, 21});
    addLabel(group, "Label4", QStringLiteral("（取值范围：0-255）"), {176, 96}, 13);
    addButton(group, "Ppa1", QStringLiteral("保存"), {144, 120}, &SettingsDialog::saveHalo);
    m_haloButton = addButton(group, "Ppa2", Start, {224, 120}, &SettingsDialog::startOrStopHalo);
}

void SettingsDialog::buildFollowImageGroup() {
    QWidget* group = addGroup(this, "PP2", {8, 176, 361, 201});
    addLabel(group, "Label6", QStringLiteral("光标跟随图"), {0, 0}, 21);
    m_preview = new QLabel(group);
    m_preview->setObjectName(QStringLiteral("Image1"));
    m_preview->setGeometry(128, 0, FollowPictureSide, FollowPictureSide);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    addLabel(group, "Label9", QStringLiteral("更换光标图片:"), {16, 56}, 16);
    addButton(group, "Papic3", QStringLiteral("浏览"), {272, 48},
              &SettingsDialog::browseForPicture);
    m_picturePath = addBox(group, "Edit5", QStringLiteral("Edit5"), {272, 104, 73, 21});
    m_picturePath->hide();
    addLabel(group, "Label7", QStringLiteral("光标显示位置"), {0, 144}, 16);
    m_offset = addBox(group, "Edit4", QStringLiteral("Edit4"), {96, 144, 49, 21});
    addLabel(group, "Label8", QStringLiteral("（取值范围：0-130，其中65居中）"), {152, 144}, 13);
    addButton(group, "Papic1", QStringLiteral("保存"), {160, 168},
              &SettingsDialog::saveFollowImage);
    m_followButton =
        addButton(group, "Papic2", Start, {240, 168}, &SettingsDialog::startOrStopFollowImage);
}

QLineEdit* SettingsDialog::addBox(QWidget* group, const char* name, const QString& text,
                                  const QRect& place) {
    auto* box = new QLineEdit(text, group);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(place);
    // Numbers need no input method; with one, composed text would pass by the key filter.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->installEventFilter(this);
    return box;
}

ClickPanel* SettingsDialog::addButton(QWidget* group, const char* name, const QString& caption,
                                      QPoint at, void (SettingsDialog::*handler)()) {
    auto* button = new ClickPanel(QString::fromLatin1(name), caption, Colors::Gray, group);
    button->setGeometry(QRect(at, QSize(50, 25)));
    connect(button, &ClickPanel::clicked, this,
            [this, handler] { ErrorReporter::guard([&] { (this->*handler)(); }); });
    return button;
}

// A failure leaves the boxes not reached yet with their layout texts.
void SettingsDialog::setUp() {
    const HaloSettings halo = readHaloSettings();
    showHaloColour(halo.colour);
    m_haloSize->setText(halo.sizeText);
    m_opacity->setText(halo.opacityText);
    const FollowImageSettings follow = readFollowImageSettings();
    showPreview(PngDecoder::decodeTopLeft(localPicturePath(follow.fileName), FollowPictureSide));
    m_offset->setText(follow.offsetText);
    m_picturePath->setText(follow.fileName);
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_colourBox && event->type() == QEvent::MouseButtonDblClick) {
        ErrorReporter::guard([this] { chooseHaloColour(); });
        return true;
    }
    // The colour box takes any key: saving puts the colour number in it.
    if (watched != m_colourBox && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return !NumberKeyFilter::keepsKey(key->key(), key->modifiers(), key->text());
    }
    return KeruloWindow::eventFilter(watched, event);
}

void SettingsDialog::showHaloColour(int number) {
    m_colourNumber = number;
    QPalette p = m_colourBox->palette();
    p.setColor(QPalette::Base, ColourNumber::toColour(number));
    m_colourBox->setPalette(p);
}

// Drawn as it is over the group's face, its top-left part when it is larger than the preview.
void SettingsDialog::showPreview(const QImage& picture) {
    const QImage shown = picture.copy(0, 0, std::min(picture.width(), FollowPictureSide),
                                      std::min(picture.height(), FollowPictureSide));
    m_preview->setPixmap(
        QPixmap::fromImage(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
}

void SettingsDialog::chooseHaloColour() {
    if (const std::optional<QColor> colour =
            runColourDialog(ColourNumber::toColour(m_colourNumber)))
        showHaloColour(ColourNumber::fromColour(*colour));
}

void SettingsDialog::saveHalo() {
    if (const auto message = SettingsValidation::checkHalo(m_haloSize->text(), m_opacity->text())) {
        showMessage(*message);
        return;
    }
    m_colourBox->setText(QString::number(m_colourNumber));
    // The boxes' texts as they are: the store writes them into the statement unchanged.
    saveHaloSettings(m_colourBox->text(), m_haloSize->text(), m_opacity->text());
}

// Each start hides the other effect and leaves the other button's caption alone; a caption
// that still reads "停止" is only reset by the next click.
void SettingsDialog::startOrStopHalo() {
    HaloWindow& halo = windows().halo();
    if (m_haloButton->text() != Start) {
        m_haloButton->setText(Start);
        halo.closeWindow();
        return;
    }
    m_haloButton->setText(Stop);
    windows().followImage().hide();
    // The saved values, not what the boxes hold now.
    const HaloSettings settings = readHaloSettings();
    halo.showInFront();
    halo.applyLook(settings.size, settings.colour, settings.opacity);
    placeAtPointer(halo);
}

void SettingsDialog::browseForPicture() {
    const std::optional<QString> picked = runFileDialog(pictureFolder());
    if (!picked)
        return;
    // The name stays even when the picture cannot be shown; the file is read by its full path.
    m_picturePath->setText(storedPictureName(QFileInfo(*picked).fileName()));
    m_pickedPicture = *picked;
    showPreview(PngDecoder::decodeTopLeft(*picked, FollowPictureSide));
}

void SettingsDialog::saveFollowImage() {
    if (const auto message = SettingsValidation::checkFollowImage(m_offset->text())) {
        showMessage(*message);
        return;
    }
    // A stored name finds only pictures in the picture folder, so one picked elsewhere is
    // copied there first, under a name that takes no other picture's place.
    if (!m_pickedPicture.isEmpty()) {
        const QString name = PictureImport::intoFolder(m_pickedPicture, pictureFolder());
        m_picturePath->setText(storedPictureName(name));
        m_pickedPicture.clear();
    }
    saveFollowImageSettings(m_picturePath->text(), m_offset->text());
}

void SettingsDialog::startOrStopFollowImage() {
    FollowImageWindow& followImage = windows().followImage();
    if (m_followButton->text() != Start) {
        m_followButton->setText(Start);
        followImage.hide();
        return;
    }
    m_followButton->setText(Stop);
    windows().halo().hide();
    const FollowImageSettings settings = readFollowImageSettings();
    followImage.setCursorOffset(settings.offset);
    placeAtPointer(followImage);
    followImage.setPicture(loadFollowPicture(localPicturePath(settings.fileName)));
    // Showing the follow image closes this dialog, which stays on screen for more settings.
    followImage.setVisible(true);
    setVisible(true);
}

// New settings take effect at once, not only when the pointer next moves.
void SettingsDialog::placeAtPointer(EffectWindow& window) {
    if (const std::optional<QPoint> pointer = windows().platform().pointer.position())
        window.followPointer(*pointer);
}

void SettingsDialog::showMessage(const QString& text) {
    if (m_showMessage)
        m_showMessage(text);
    else
        MessageBox::showMessage(text);
}

std::optional<QColor> SettingsDialog::runColourDialog(const QColor& preset) {
    if (m_chooseColour)
        return m_chooseColour(preset);
    return kerulo::runColourDialog(preset, this);
}

// The toolkit's own dialog, the same on every desktop, and one that never changes the current
// directory.
std::optional<QString> SettingsDialog::runFileDialog(const QString& folder) {
    if (m_choosePicture)
        return m_choosePicture(folder);
    QFileDialog dialog(this, QString(), folder, PictureFilter);
    dialog.setObjectName(QStringLiteral("OpenDg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    MessageBox::prepare(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace kerulo
