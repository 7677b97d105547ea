#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QString>
#include <QTime>
#include <QVector>
#include <QWidget>

#include <functional>

class QMouseEvent;
class QPainter;
class QTextEdit;
class QToolButton;
class QTouchEvent;

// The touch test window: every finger (or mouse button) that touches it leaves a trail
// in a colour of its own, and each press and release is written to a log over the
// drawing. Its input is what the operating system makes of the controller's output,
// not the device link. How strokes are drawn and erased comes from the "MonitorView/..."
// settings.
class MonitorWidget : public QWidget {
    Q_OBJECT
public:
    enum EraseMode {
        NoEraseMode = 0,
        // Everything is erased when the last contact is released.
        EraseOnRelease = 1,
        // The drawing stays until the next contact after the last release.
        EraseOnNextTouch = 2,
    };

    struct DrawingSettings {
        EraseMode eraseMode = EraseOnRelease;
        // Each stroke is erased as its contact is released.
        bool eraseForward = false;
        // Everything is erased with the pen itself when the last contact is released.
        bool eraseBackward = false;
        // Only the latest part of each stroke stays visible.
        bool trail = false;
        bool transparentText = false;
        // With several contacts, a released contact's stroke is erased.
        bool eraseOnContactRelease = false;
        int penWidth = kDefaultPenWidth;
        Qt::PenCapStyle cap = Qt::SquareCap;
        Qt::PenJoinStyle join = Qt::MiterJoin;
        Qt::PenStyle line = Qt::SolidLine;
    };

    static constexpr int kDefaultPenWidth = 10;
    // Segments of a stroke that stay visible with the trail on.
    static constexpr int kTrailSegments = 24;
    static constexpr int kMaximumLogLines = 1000;

    // A colour component 0..255.
    using RandomComponent = std::function<int()>;
    using Clock = std::function<QTime()>;
    // Asks for the file to save the drawing to; a null text when cancelled.
    using SaveFileChooser =
        std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;

    // The settings as stored; texts that are not known give Qt's value 0 (flat cap, miter
    // join, no line at all).
    static DrawingSettings readDrawingSettings();

    explicit MonitorWidget(QWidget* parent = nullptr);
    ~MonitorWidget() override;

    void setRandomComponent(RandomComponent random);
    void setClock(Clock clock);
    void setSaveFileChooser(SaveFileChooser chooser);

    const QImage& image() const { return m_image; }
    const DrawingSettings& drawingSettings() const { return m_settings; }
    QHash<QString, QColor> strCurColor() const { return m_colors; }
    QString logText() const;
    // Colour of each log line, in order.
    QList<QColor> logColors() const;

public slots:
    // Paints every recorded segment black with the pen width and forgets them.
    void EraseBackwardUsingPen();
    // Paints the recorded segments of one contact (all when contact is null) black, 2
    // pixels wider than the pen, and forgets them.
    void EraseForwardUsingPen(QString contact);
    void EraseForwardUsingQPen();
    // Writes the drawing as PNG to the file the user picks; nothing when cancelled.
    void SaveImage();
    // A black drawing and an empty log.
    void RefreshImage();
    void setStrCurColor(QHash<QString, QColor> StrCurColor);
    void ShowFullScreenOrRestore();
    // Grows the image to newSize (never shrinks it, so a smaller window loses nothing).
    void RescaleImage(QImage* image, const QSize& newSize);
    void clearText();
    // Appends "<hh:mm:ss>:<ms> <text>" in the current log colour.
    void addText(QString Stringdata);
    void DoSettings();
    void Translate();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    bool MouseEventMtd(QMouseEvent* event);
    bool TouchEventMtd(QTouchEvent* event);
    void PaintText(QPainter* painter, const QString& text, int x, int y);
    void DrawLine(QPointF from, QPointF to, int width, QColor colour);
    void FillColorAndLabel(const QString& name, int state, QPointF position);
    QColor CreateNewColor(QHash<QString, QColor>& colors, const QString& name);
    QColor PickColor(const QString& name);
    QColor GenerateRandomColors(const QString& name);

private:
    bool handleTouch(QTouchEvent* event, QPointF offset);
    // Qt numbers touch points uniquely over the whole run ((device << 24) + n), so a
    // contact is named by its slot instead: the lowest number no other finger down holds.
    int slotOf(int touchId);
    bool handleMouse(QMouseEvent* event, QPointF offset);
    void contactPressed(const QString& name, QPointF position, const QString& verb);
    void contactMoved(const QString& name, QPointF position);
    void contactReleased(const QString& name, QPointF position, bool onlyContact);
    void lastContactReleased();
    void cutTrail(const QString& name);
    void strokeSegments(const QVector<QLineF>& segments, int width, const QColor& colour);
    int penWidth() const;
    QString positionText(QPointF position) const;
    QRect labelRect(QPointF position) const;
    bool isOnButton(QPointF position) const;
    void buildUi();
    void placeChildren();

    QImage m_image;
    QTextEdit* m_log = nullptr;
    QList<QToolButton*> m_buttons;
    QToolButton* m_eraseButton = nullptr;
    QToolButton* m_saveButton = nullptr;
    QToolButton* m_fullScreenButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    DrawingSettings m_settings;
    QHash<QString, QColor> m_colors;
    QHash<QString, QVector<QLineF>> m_history;
    QHash<QString, QPointF> m_lastPosition;
    QHash<QString, QPointF> m_labels;
    QHash<int, int> m_touchSlots;
    QColor m_logColor = Qt::white;
    QString m_touchPrefix;
    QString m_tuioPrefix;
    QString m_mousePrefix;
    bool m_singleRelease = false;
    RandomComponent m_random;
    Clock m_clock;
    SaveFileChooser m_chooseSaveFile;
};
