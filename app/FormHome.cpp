#include "app/FormHome.h"

#include <QFontDatabase>
#include <QStringList>

#include "logging/LogMacros.h"
#include "ui_FormHome.h"

namespace {
constexpr int kCaptionPixelSize = 30;
}  // namespace

FormHome::FormHome(QWidget* parent) : QWidget(parent), m_ui(new Ui::FormHome) {
    TTRACE_OBJECT();
    m_ui->setupUi(this);
    loadCaptionFont();
}

FormHome::~FormHome() {
    TTRACE_OBJECT();
    delete m_ui;
}

void FormHome::loadCaptionFont() {
    QFont font = m_ui->labelTools->font();
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kCaptionFontFile));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        TLOG_WARNING(
            QStringLiteral("Cannot load the font %1").arg(QLatin1String(kCaptionFontFile)));
    } else {
        font.setFamily(families.first());
        font.setItalic(true);
        font.setWeight(QFont::Light);
    }
    font.setPixelSize(kCaptionPixelSize);
    m_ui->labelTools->setFont(font);
    TLOG_INFO(QStringLiteral("Font Family == %1,Font Pixel = %2")
                  .arg(font.family())
                  .arg(font.pixelSize()));
}

void FormHome::on_buttonCalibrate_clicked() {
    TTRACE();
    emit buttonCalibrate_pressed(true);
}

void FormHome::on_buttonOutput_clicked() {
    TTRACE();
    emit buttonOutput_pressed();
}

void FormHome::on_buttonTroubleshooting_clicked() {
    TTRACE();
    emit buttonTroubleshooting_pressed();
}

void FormHome::on_buttonWizard_clicked() {
    TTRACE();
    emit signalOpenWizard();
}
