// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QList>
#include <QMap>
#include <QString>

class QColor;
class QCPAxis;
class QCustomPlot;
class QPalette;
class QWidget;

// Process-wide mode flags and small shared helpers.
class Helpers
{
public:
    Helpers() = delete;

    static bool powerMode;      // a model 500 is attached, or its recording is loaded
    static bool power600Mode;   // a model 600 is attached, or its recording is loaded
    static bool isMeasuring;    // a recording run is active
    static bool isUpdating;     // a firmware upload runs; nothing else may be sent
    static bool isFahrentheit;  // temperatures shown in Fahrenheit
    static int timeFormat;      // 1: seconds, 2: clock time

    // Both flags clear: the legacy logger protocol.
    static bool loggerMode() { return !powerMode && !power600Mode; }

    // Time texts, GUI-free (helpers_time.cpp). Times are seconds from the
    // start of a recording.
    static QString timeToString(double t, bool withUnit, int decimals);
    static QString timeToSeconds(double t, bool withUnit, int decimals);
    static QString timeToNative(double t, bool withUnit, int decimals);
    // First-row labels are offsets from the last major tick; majors holds the
    // full time of each major tick by tick index, and under -1 the left-edge text.
    static void timeToLabels(double step, const QList<double>& ticks, QList<QString>& labels,
                             QMap<int, QString>& majors);
    // Scale of a logger value: 1, 1000 or 1000000.
    static int divider(double v);
    static QChar unitCharA(int divider);
    static QChar unitCharV(int divider);
    // "(1.000 kHz)" for a period of 10 (units of 100 us).
    static QString sampleRateToFQString(int period);

    // Widget helpers, defined in the widget library (helpers_widgets.cpp).
    static QPalette darkPalette();
    // Background c; the time axis in c's inverse so it stays readable.
    static void setPlotterColor(QCustomPlot* plot, const QColor& c);
    static void setAxisColor(QCPAxis* axis, const QColor& c);
    // A modal warning box. buttons and defaultButton are QMessageBox standard
    // buttons; returns the one pressed.
    static int warning(QWidget* parent, const QString& title, const QString& text, int buttons,
                       int defaultButton);
};
