#include "MonitorWidget.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSettings>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QTouchDevice>
#include <QTouchEvent>

#include <algorithm>

#include "logging/LogMacros.h"
#include "protocol/SettingsKeys.h"

namespace {
const char kSaveFilter[] = "Image File (*.png);;All Files (*)";
const char kImageFormat[] = "PNG";
constexpr int kEraseForwardExtraWidth = 2;
constexpr int kLabelOffset = 14;
constexpr int kButtonMargin = 8;
// The log covers at most this much of the drawing's top left corner.
constexpr int kMaximumLogWidth = 480;
const QColor kBackground(Qt::black);
const QColor kMouseColour(0, 188, 228);
const QColor kTouchOneColour(226, 1, 119);
const QColor kTouchZeroColour(245, 128, 38);

template <typename T>
T fromTable(const QString& key, const QString& fallback, const QHash<QString, T>& table) {
    const QString text = QSettings().value(key, fallback).toString();
    const auto it = table.constFind(text);
    if (it == table.constEnd()) {
        TLOG_WARNING(QStringLiteral("Unknown %1 \"%2\"").arg(key, text));
        return static_cast<T>(0);
    }
    return *it;
}

int lowestButton(Qt::MouseButtons buttons) {
    for (int bit = 1; bit <= static_cast<int>(Qt::MaxMouseButton); bit <<= 1) {
        if (buttons.testFlag(static_cast<Qt::MouseButton>(bit))) {
            return bit;
        }
    }
    return 0;
}

void applyErase(const QString& text, MonitorWidget::DrawingSettings& s) {
    s.eraseMode = MonitorWidget::NoEraseMode;
    s.eraseForward = s.eraseBackward = s.trail = false;
    if (text == QLatin1String("ER")) {
        s.eraseMode = MonitorWidget::EraseOnRelease;
    } else if (text == QLatin1String("ETR")) {
        s.eraseMode = MonitorWidget::EraseOnNextTouch;
    } else if (text == QLatin1String("EF")) {
        s.eraseForward = true;
    } else if (text == QLatin1String("EB")) {
        s.eraseBackward = true;
    } else if (text == QLatin1String("TRAIL")) {
        s.trail = true;
    } else if (text != QLatin1String("NONE")) {
        TLOG_WARNING(QStringLiteral("Unknown %1 \"%2\": nothing is erased")
                         .arg(SettingsKeys::MonitorView::kErase, text));
    }
}
}  // namespace

MonitorWidget::DrawingSettings MonitorWidget::readDrawingSettings() {
    using namespace SettingsKeys::MonitorView;
    const QSettings settings;
    DrawingSettings s;
    applyErase(settings.value(kErase, QStringLiteral("ER")).toString(), s);
    s.transparentText = settings.value(kText, false).toBool();
    s.eraseOnContactRelease = settings.value(kEraseSF, false).toBool();
    bool ok = false;
    s.penWidth = settings.value(kPenwidth, kDefaultPenWidth).toInt(&ok);
    if (!ok) {
        s.penWidth = kDefaultPenWidth;
    }
    s.cap = fromTable<Qt::PenCapStyle>(kCap, QStringLiteral("SquareCap"),
                                       {{QStringLiteral("FlatCap"), Qt::FlatCap},
                                        {QStringLiteral("SquareCap"), Qt::SquareCap},
                                        {QStringLiteral("RoundCap"), Qt::RoundCap}});
    s.join = fromTable<Qt::PenJoinStyle>(kJoin, QStringLiteral("MilterJoin"),
                                         {{QStringLiteral("MilterJoin"), Qt::MiterJoin},
                                          {QStringLiteral("BeveJoin"), Qt::BevelJoin},
                                          {QStringLiteral("RoundJoin"), Qt::RoundJoin},
                                          {QStringLiteral("SvgMilterJoin"), Qt::SvgMiterJoin}});
    s.line = fromTable<Qt::PenStyle>(kLine, QStringLiteral("SolidLine"),
                                     {{QStringLiteral("SolidLine"), Qt::SolidLine},
                                      {QStringLiteral("DashLine"), Qt::DashLine},
                                      {QStringLiteral("DashDotLine"), Qt::DashDotLine},
                                      {QStringLiteral("DashDotDotLine"), Qt::DashDotDotLine}});
    return s;
}

MonitorWidget::MonitorWidget(QWidget* parent)
    : QWidget(parent),
      m_random([] { return static_cast<int>(QRandomGenerator::global()->bounded(256)); }),
      m_clock([] { return QTime::currentTime(); }),
      m_chooseSaveFile([](QWidget* owner, const QString& caption, const QString& filter) {
          return QFileDialog::getSaveFileName(owner, caption, QString(), filter);
      }) {
    TTRACE_OBJECT();
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    buildUi();
    Translate();
    DoSettings();
}

MonitorWidget::~MonitorWidget() {
    TTRACE_OBJECT();
}

void MonitorWidget::buildUi() {
    m_log = new QTextEdit(this);
    m_log->setReadOnly(true);
    m_log->setTextInteractionFlags(Qt::NoTextInteraction);
    m_log->setFocusPolicy(Qt::NoFocus);
    m_log->setFrameStyle(0);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_log->document()->setMaximumBlockCount(kMaximumLogLines);
    m_log->viewport()->installEventFilter(this);
    m_log->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);

    const auto addButton = [this](const char* name, auto slot) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, slot);
        m_buttons << button;
        return button;
    };
    m_eraseButton = addButton("buttonErase", &MonitorWidget::RefreshImage);
    m_saveButton = addButton("buttonSave", &MonitorWidget::SaveImage);
    m_fullScreenButton = addButton("buttonFullScreen", &MonitorWidget::ShowFullScreenOrRestore);
    m_closeButton = addButton("buttonClose", &MonitorWidget::close);
    resize(800, 600);
    RescaleImage(&m_image, size());
}

void MonitorWidget::placeChildren() {
    m_log->setGeometry(0, 0, std::min(width() / 3, kMaximumLogWidth), height() / 4);
    int right = width() - kButtonMargin;
    for (auto it = m_buttons.crbegin(); it != m_buttons.crend(); ++it) {
        QToolButton* button = *it;
        const QSize hint = button->sizeHint();
        right -= hint.width();
        button->setGeometry(right, kButtonMargin, hint.width(), hint.height());
        right -= kButtonMargin;
    }
}

void MonitorWidget::setRandomComponent(RandomComponent random) {
    m_random = std::move(random);
}

void MonitorWidget::setClock(Clock clock) {
    m_clock = std::move(clock);
}

void MonitorWidget::setSaveFileChooser(SaveFileChooser chooser) {
    m_chooseSaveFile = std::move(chooser);
}

QString MonitorWidget::logText() const {
    return m_log->toPlainText();
}

QList<QColor> MonitorWidget::logColors() const {
    QList<QColor> colours;
    for (QTextBlock block = m_log->document()->begin(); block.isValid(); block = block.next()) {
        if (!block.text().isEmpty()) {
            colours << block.begin().fragment().charFormat().foreground().color();
        }
    }
    return colours;
}

bool MonitorWidget::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            return TouchEventMtd(static_cast<QTouchEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            if (MouseEventMtd(static_cast<QMouseEvent*>(event))) {
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

// Touches and clicks on the log reach the drawing underneath it.
bool MonitorWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_log->viewport()) {
        return QWidget::eventFilter(watched, event);
    }
    const QPointF offset = m_log->viewport()->mapTo(this, QPoint(0, 0));
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            return handleTouch(static_cast<QTouchEvent*>(event), offset);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return handleMouse(static_cast<QMouseEvent*>(event), offset);
        default:
            return false;
    }
}

bool MonitorWidget::TouchEventMtd(QTouchEvent* event) {
    return handleTouch(event, QPointF());
}

bool MonitorWidget::handleTouch(QTouchEvent* event, QPointF offset) {
    const QList<QTouchEvent::TouchPoint>& points = event->touchPoints();
    // A touch that starts on a button is left to Qt, which clicks the button with it.
    if (event->type() == QEvent::TouchBegin && !points.isEmpty() &&
        isOnButton(points.first().pos() + offset)) {
        event->ignore();
        return false;
    }
    event->accept();
    if (event->type() == QEvent::TouchCancel) {
        for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it) {
            update(labelRect(it.value()));
        }
        m_labels.clear();
        m_lastPosition.clear();
        m_touchSlots.clear();
        return true;
    }
    if (event->type() == QEvent::TouchBegin) {
        m_touchSlots.clear();
    }
    const bool tuio = event->device() &&
                      event->device()->name().contains(QLatin1String("tuio"), Qt::CaseInsensitive);
    for (const QTouchEvent::TouchPoint& point : points) {
        const QPointF position = point.pos() + offset;
        const QString name =
            (tuio ? m_tuioPrefix : m_touchPrefix) + QString::number(slotOf(point.id()));
        FillColorAndLabel(name, point.state(), position);
        switch (point.state()) {
            case Qt::TouchPointPressed:
                contactPressed(name, position, QStringLiteral(" Pressed"));
                break;
            case Qt::TouchPointMoved:
                contactMoved(name, position);
                break;
            case Qt::TouchPointReleased:
                contactReleased(name, position, points.size() == 1 && point.id() >= 0);
                m_touchSlots.remove(point.id());
                break;
            default:
                break;
        }
    }
    return true;
}

int MonitorWidget::slotOf(int touchId) {
    const auto known = m_touchSlots.constFind(touchId);
    if (known != m_touchSlots.constEnd()) {
        return *known;
    }
    int slot = 0;
    const QList<int> taken = m_touchSlots.values();
    while (taken.contains(slot)) {
        ++slot;
    }
    m_touchSlots.insert(touchId, slot);
    return slot;
}

bool MonitorWidget::MouseEventMtd(QMouseEvent* event) {
    return handleMouse(event, QPointF());
}

bool MonitorWidget::handleMouse(QMouseEvent* event, QPointF offset) {
    // The touch that a mouse event was made from has drawn its own trail already.
    if (event->source() != Qt::MouseEventNotSynthesized) {
        event->accept();
        return true;
    }
    const QPointF position = event->localPos() + offset;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const QString name = m_mousePrefix + QString::number(event->button());
            FillColorAndLabel(name, Qt::TouchPointPressed, position);
            contactPressed(name, position, QStringLiteral(" clicked"));
            break;
        }
        case QEvent::MouseMove: {
            if (event->buttons() == Qt::NoButton) {
                return false;
            }
            const QString name = m_mousePrefix + QString::number(lowestButton(event->buttons()));
            if (!m_lastPosition.contains(name)) {
                return false;
            }
            FillColorAndLabel(name, Qt::TouchPointMoved, position);
            contactMoved(name, position);
            break;
        }
        case QEvent::MouseButtonRelease: {
            const QString name = m_mousePrefix + QString::number(event->button());
            FillColorAndLabel(name, Qt::TouchPointReleased, position);
            contactReleased(name, position, event->buttons() == Qt::NoButton);
            break;
        }
        default:
            return false;
    }
    event->accept();
    return true;
}

void MonitorWidget::contactPressed(const QString& name, QPointF position, const QString& verb) {
    if (m_settings.eraseMode == EraseOnNextTouch && m_singleRelease) {
        EraseForwardUsingPen(QString());
    }
    m_singleRelease = false;
    m_logColor = PickColor(name);
    addText(name + verb + positionText(position));
    DrawLine(position, position, penWidth(), m_logColor);
    m_history[name].append(QLineF(position, position));
    m_lastPosition.insert(name, position);
}

void MonitorWidget::contactMoved(const QString& name, QPointF position) {
    const QPointF from = m_lastPosition.value(name, position);
    DrawLine(from, position, penWidth(), PickColor(name));
    m_history[name].append(QLineF(from, position));
    m_lastPosition.insert(name, position);
    if (m_settings.trail) {
        cutTrail(name);
    }
}

void MonitorWidget::contactReleased(const QString& name, QPointF position, bool onlyContact) {
    m_logColor = PickColor(name);
    addText(name + QStringLiteral(" Released") + positionText(position));
    m_lastPosition.remove(name);
    if (m_settings.eraseForward) {
        EraseForwardUsingPen(name);
    }
    if (onlyContact) {
        m_lastPosition.clear();
        m_singleRelease = true;
        lastContactReleased();
        return;
    }
    if (m_settings.eraseOnContactRelease) {
        EraseForwardUsingPen(name);
    }
    m_colors.remove(name);
}

void MonitorWidget::lastContactReleased() {
    if (m_settings.eraseMode == EraseOnRelease) {
        EraseForwardUsingPen(QString());
    } else if (m_settings.eraseBackward) {
        EraseBackwardUsingPen();
    }
}

void MonitorWidget::cutTrail(const QString& name) {
    QVector<QLineF>& segments = m_history[name];
    if (segments.size() <= kTrailSegments) {
        return;
    }
    const QVector<QLineF> old = segments.mid(0, segments.size() - kTrailSegments);
    segments.remove(0, old.size());
    strokeSegments(old, penWidth() + kEraseForwardExtraWidth, kBackground);
    // The erased tail may have bitten into the start of what stays.
    strokeSegments(segments, penWidth(), PickColor(name));
}

void MonitorWidget::FillColorAndLabel(const QString& name, int state, QPointF position) {
    PickColor(name);
    const auto previous = m_labels.constFind(name);
    if (previous != m_labels.constEnd()) {
        update(labelRect(*previous));
    }
    if (state == Qt::TouchPointReleased) {
        m_labels.remove(name);
        return;
    }
    m_labels.insert(name, position);
    update(labelRect(position));
}

int MonitorWidget::penWidth() const {
    return m_settings.penWidth > 0 ? m_settings.penWidth : kDefaultPenWidth;
}

QString MonitorWidget::positionText(QPointF position) const {
    return QStringLiteral(" X:-> ") + QString::number(position.x(), 'g', 6) +
           QStringLiteral(" Y:-> ") + QString::number(position.y(), 'g', 6);
}

QRect MonitorWidget::labelRect(QPointF position) const {
    const QPoint at = position.toPoint();
    const int size = 10 * fontMetrics().height();
    return QRect(at.x(), at.y() - size, size, size + kLabelOffset);
}

bool MonitorWidget::isOnButton(QPointF position) const {
    return std::any_of(m_buttons.cbegin(), m_buttons.cend(), [position](const QToolButton* b) {
        return b->isVisible() && b->geometry().contains(position.toPoint());
    });
}

void MonitorWidget::DrawLine(QPointF from, QPointF to, int width, QColor colour) {
    if (from.isNull() || to.isNull()) {
        return;
    }
    const int w = width > 0 ? width : kDefaultPenWidth;
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.isValid() ? colour : QColor(Qt::white), w, m_settings.line,
                        m_settings.cap, m_settings.join));
    if (from == to) {
        // A line of no length draws nothing; the pen's point is the dot a press leaves.
        painter.drawPoint(from);
    } else {
        painter.drawLine(from, to);
    }
    update(QRectF(QPointF(std::min(from.x(), to.x()) - w, std::min(from.y(), to.y()) - w),
                  QPointF(std::max(from.x(), to.x()) + w, std::max(from.y(), to.y()) + w))
               .toAlignedRect());
}

void MonitorWidget::strokeSegments(const QVector<QLineF>& segments, int width,
                                   const QColor& colour) {
    if (segments.isEmpty()) {
        return;
    }
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, width,
                        m_settings.line == Qt::NoPen ? Qt::SolidLine : m_settings.line,
                        m_settings.cap, m_settings.join));
    QRectF touched;
    for (const QLineF& segment : segments) {
        if (segment.p1() == segment.p2()) {
            painter.drawPoint(segment.p1());
        } else {
            painter.drawLine(segment);
        }
        touched |= QRectF(segment.p1(), segment.p2()).normalized();
    }
    update(touched.adjusted(-width, -width, width, width).toAlignedRect());
}

void MonitorWidget::EraseBackwardUsingPen() {
    for (auto it = m_history.cbegin(); it != m_history.cend(); ++it) {
        strokeSegments(it.value(), penWidth(), kBackground);
    }
    update();
    m_history.clear();
}

void MonitorWidget::EraseForwardUsingPen(QString contact) {
    const QStringList names = contact.isNull() ? m_history.keys() : QStringList(contact);
    for (const QString& name : names) {
        strokeSegments(m_history.value(name), penWidth() + kEraseForwardExtraWidth, kBackground);
        m_history.remove(name);
    }
}

void MonitorWidget::EraseForwardUsingQPen() {
    EraseForwardUsingPen(QString());
}

void MonitorWidget::SaveImage() {
    const QString fileName = m_chooseSaveFile(this, tr("Save Image File"), tr(kSaveFilter));
    if (fileName.isEmpty()) {
        return;
    }
    if (!m_image.copy(rect()).save(fileName, kImageFormat)) {
        TLOG_WARNING(QStringLiteral("Can't write the image to %1").arg(fileName));
    }
}

void MonitorWidget::RefreshImage() {
    m_image.fill(kBackground);
    m_history.clear();
    clearText();
    update();
}

void MonitorWidget::setStrCurColor(QHash<QString, QColor> StrCurColor) {
    m_colors = StrCurColor;
}

void MonitorWidget::ShowFullScreenOrRestore() {
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
}

void MonitorWidget::RescaleImage(QImage* image, const QSize& newSize) {
    const QSize size = image->size().expandedTo(newSize);
    if (size == image->size()) {
        return;
    }
    QImage larger(size, QImage::Format_RGB32);
    larger.fill(kBackground);
    if (!image->isNull()) {
        QPainter(&larger).drawImage(0, 0, *image);
    }
    *image = larger;
}

void MonitorWidget::clearText() {
    m_log->clear();
}

void MonitorWidget::addText(QString Stringdata) {
    const QTime now = m_clock();
    QString line = QStringLiteral("%1:%2")
                       .arg(now.toString(QStringLiteral("hh:mm:ss")))
                       .arg(now.msec(), 3, 10, QLatin1Char('0'));
    if (!Stringdata.isNull()) {
        line += QLatin1Char(' ') + Stringdata;
    }
    QTextCharFormat format;
    format.setForeground(m_logColor);
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_log->document()->isEmpty()) {
        cursor.insertBlock();
    }
    cursor.insertText(line, format);
    m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
}

void MonitorWidget::DoSettings() {
    m_settings = readDrawingSettings();
    m_log->setStyleSheet(
        m_settings.transparentText
            ? QStringLiteral("QTextEdit { background: transparent; border: none; }")
            : QStringLiteral("QTextEdit { background: black; border: none; }"));
    m_log->viewport()->setAutoFillBackground(!m_settings.transparentText);
    update();
}

void MonitorWidget::Translate() {
    m_touchPrefix = tr("Touch ");
    m_tuioPrefix = tr("Tuio ");
    m_mousePrefix = tr("Mouse ");
    setWindowTitle(tr("Touch Test"));
    m_eraseButton->setText(tr("Erase"));
    m_saveButton->setText(tr("Save Image"));
    m_fullScreenButton->setText(tr("Full Screen"));
    m_closeButton->setText(tr("Close"));
    placeChildren();
}

void MonitorWidget::PaintText(QPainter* painter, const QString& text, int x, int y) {
    painter->drawText(x, y, text);
}

QColor MonitorWidget::PickColor(const QString& name) {
    const auto it = m_colors.constFind(name);
    if (it != m_colors.constEnd()) {
        return *it;
    }
    TLOG_INFO(QStringLiteral("Unable to find string in the container"));
    return CreateNewColor(m_colors, name);
}

QColor MonitorWidget::CreateNewColor(QHash<QString, QColor>& colors, const QString& name) {
    const QColor colour = GenerateRandomColors(name);
    colors.insert(name, colour);
    return colour;
}

QColor MonitorWidget::GenerateRandomColors(const QString& name) {
    const int r = m_random();
    const int g = m_random();
    const int b = m_random();
    if (name.contains(m_mousePrefix)) {
        return kMouseColour;
    }
    if (name.contains(m_touchPrefix)) {
        if (name.contains(QLatin1Char('1'))) {
            return kTouchOneColour;
        }
        if (name.contains(QLatin1Char('0'))) {
            return kTouchZeroColour;
        }
        return QColor((255 + r) / 2, (255 + g) / 2, (255 + b) / 2);
    }
    return QColor(r, g, b);
}

void MonitorWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_image, event->rect());
    for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it) {
        painter.setPen(m_colors.value(it.key(), Qt::white));
        const QPoint at = it.value().toPoint();
        PaintText(&painter, it.key(), at.x() + kLabelOffset, at.y() - kLabelOffset);
    }
}

void MonitorWidget::resizeEvent(QResizeEvent* event) {
    RescaleImage(&m_image, size());
    placeChildren();
    QWidget::resizeEvent(event);
}

void MonitorWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Translate();
    }
    QWidget::changeEvent(event);
}

void MonitorWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_F11) {
        ShowFullScreenOrRestore();
        return;
    }
    QWidget::keyPressEvent(event);
}
