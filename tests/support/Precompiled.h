#pragma once

// Precompiled once per test executable: nearly every test includes QtTest,
// which brings all of QtCore, and the widget tests a common set on top.
#include <QtTest>

#if defined(QT_GUI_LIB)
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#endif

#if defined(QT_WIDGETS_LIB)
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>
#endif

#include <functional>
#include <memory>
#include <optional>
