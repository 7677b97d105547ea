#include "FormSensCal.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QSettings>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "protocol/SettingsKeys.h"
#include "sensitivity/OvEqualizerLines.h"
#include "sensitivity/OvTargetProgress.h"

namespace {
const QString kDoNotTouchImage =
    QStringLiteral(":/new/WindowStyles/images/WindowsStyles/DoNotTouch.png");
const QString kFeedbackImage =
    QStringLiteral(":/new/WindowStyles/images/WindowsStyles/Feedback_48x48.gif");
constexpr int kPromptPointSize = 24;

QLabel* promptLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSize(kPromptPointSize);
    label->setFont(font);
    return label;
}
}  // namespace

FormSensCal::FormSensCal(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                         QWidget* parent)
    : QDialog(parent), m_procedure(new AutoSensitivityProcedure(dispatcher, operations)) {
    // The run outlives the window until the controller has taken its settings back.
    m_procedure->deleteWhenRestored();
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(kMinimumSide, kMinimumSide);
    setWindowState(Qt::WindowFullScreen);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(makeQuietPage());
    m_pages->addWidget(makePressPage());
    m_analysisLabel = promptLabel(QStringLiteral("Performing sensitivity analysis"), this);
    m_analysisLabel->setVisible(false);
    auto* feedback = new QLabel(this);
    feedback->setAlignment(Qt::AlignCenter);
    m_feedback = new QMovie(kFeedbackImage, QByteArray(), this);
    feedback->setMovie(m_feedback);

    m_equalizerA = new OvEqualizerLines(this);
    m_equalizerB = new OvEqualizerLines(this);
    const bool showMonitor =
        QSettings().value(SettingsKeys::Sensitivity::kShowMonitor, false).toBool();
    auto* equalizers = new QHBoxLayout;
    for (OvEqualizerLines* equalizer : {m_equalizerA, m_equalizerB}) {
        equalizer->setDisplayOptions(OvEqualizerLines::kAllOptions);
        equalizer->setVisible(showMonitor);
        equalizers->addWidget(equalizer);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_analysisLabel);
    layout->addWidget(feedback);
    layout->addLayout(equalizers);
    connectProcedure();
}

QWidget* FormSensCal::makeQuietPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* image = new QLabel(page);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(QPixmap(kDoNotTouchImage));
    layout->addWidget(image, 1);
    layout->addWidget(promptLabel(QStringLiteral("Please do not touch"), page));
    return page;
}

QWidget* FormSensCal::makePressPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(promptLabel(QStringLiteral("Please Press the Target"), page));
    m_target = new OvTargetProgress(page);
    m_target->setMaximum(AutoSensitivityProcedure::kFramesPerArray);
    m_target->setForceCircular(true);
    m_target->setProgressState(OvTargetProgress::Idle);
    layout->addWidget(m_target, 1);
    return page;
}

FormSensCal::~FormSensCal() {
    if (!m_procedure) {
        return;
    }
    disconnect(m_procedure, nullptr, this, nullptr);
    if (m_procedure->isStarted()) {
        m_procedure->stageTimeout();
    } else {
        delete m_procedure;
    }
}

void FormSensCal::setDelays(const AutoSensitivityProcedure::Delays& delays) {
    if (m_procedure) {
        m_procedure->setDelays(delays);
    }
}

void FormSensCal::connectProcedure() {
    using P = AutoSensitivityProcedure;
    connect(m_procedure, &P::pageChanged, m_pages, &QStackedWidget::setCurrentIndex);
    connect(m_procedure, &P::targetValueChanged, m_target, &OvTargetProgress::setValue);
    connect(m_procedure, &P::targetStateChanged, this, [this](int state) {
        m_target->setProgressState(OvTargetProgress::ProgressState(state));
        if (state == P::TargetCompleted) {
            m_analysisLabel->setVisible(true);
            m_feedback->start();
        }
    });
    for (OvEqualizerLines* equalizer : {m_equalizerA, m_equalizerB}) {
        connect(m_procedure, &P::equalizersCleared, equalizer, &OvEqualizerLines::clearStats);
        connect(m_procedure, &P::equalizersCleared, equalizer, &OvEqualizerLines::emptyEdgeData);
        connect(m_procedure, &P::pressLevelChanged, equalizer, &OvEqualizerLines::setPress);
        connect(m_procedure, &P::wireOutCleared, equalizer, &OvEqualizerLines::emptyWireOutData);
    }
    connect(m_procedure, &P::edgeFrameA, m_equalizerA, &OvEqualizerLines::push);
    connect(m_procedure, &P::edgeFrameB, m_equalizerB, &OvEqualizerLines::push);
    connect(m_procedure, &P::noiseFigure, this, &FormSensCal::noiseFigure);
    connect(m_procedure, &P::signalToNoiseRatio, this, &FormSensCal::signalToNoiseRatio);
    connect(m_procedure, &P::lineHealth, this, &FormSensCal::lineHealth);
    connect(m_procedure, &P::finished, this, &QDialog::done);
}

int FormSensCal::currentPage() const {
    return m_pages->currentIndex();
}

void FormSensCal::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_procedure) {
        m_procedure->start();
    }
}

// Escape or a close request: the run ends as failed and gives the controller back.
void FormSensCal::reject() {
    if (m_procedure && m_procedure->isRunning()) {
        m_procedure->stageTimeout();
        return;
    }
    QDialog::reject();
}

void FormSensCal::done(int result) {
    QDialog::done(result);
    if (testAttribute(Qt::WA_DeleteOnClose)) {
        deleteLater();
    }
}
