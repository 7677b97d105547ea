#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>

class QPainter;

// A progress indicator drawn as a target for the finger: circles and a cross, with an
// arc from twelve o'clock clockwise over the progress while Active and a check mark once
// Completed. Idle shows the bare target.
class OvTargetProgress : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(ProgressState progressState READ progressState WRITE setProgressState NOTIFY
                   progressStateChanged)
public:
    enum ProgressState { Idle = 0, Active = 1, Completed = 2 };
    Q_ENUM(ProgressState)

    // Where the progress arc lies in a widget of a given size.
    struct ArcGeometry {
        QRectF ellipse;
        double penWidth = 0.0;
    };
    // An ellipse of 0.85 times half the width and half the height around the centre (both
    // radii the smaller one when circular), the pen (radii added) / 16 wide.
    static ArcGeometry arcGeometry(const QSizeF& size, bool forceCircular);

    explicit OvTargetProgress(QWidget* parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    ProgressState progressState() const { return m_state; }
    bool forceCircular() const { return m_forceCircular; }
    // The part of the circle the arc covers: value / maximum, within 0..1.
    double progressFraction() const;
    // The format with %p (percent), %v (value) and %m (maximum) filled in.
    QString text() const;

    QSize sizeHint() const override { return QSize(200, 200); }

signals:
    void valueChanged(int theValue);
    // Qualified, so the type is found by name in queued connections and signal spies.
    void progressStateChanged(OvTargetProgress::ProgressState state);

public slots:
    void increment(int amount);
    void decrement(int amount);
    // Kept within minimum..maximum.
    void setValue(int value);
    // Back to the minimum and Idle.
    void clear();
    void setMaximum(int theMaximum);
    void setMinimum(int theMinimum);
    void setRange(int minimum, int maximum);
    void setForceCircular(bool forceCircular);
    void setFormat(QString theFormat);
    void setTextVisible(bool textVisible);
    void setProgressState(OvTargetProgress::ProgressState state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawTarget(QPainter& painter, const QRectF& ellipse) const;

    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 50;
    ProgressState m_state = Idle;
    bool m_forceCircular = true;
    bool m_textVisible = true;
    QString m_format = QStringLiteral("%p%");
};
