#pragma once

// Precompiled once per layer: the Qt and standard headers that most of the
// layer's files include, each section only where the layer links that module.
#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#if defined(QT_GUI_LIB)
#include <QColor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#endif

#if defined(QT_WIDGETS_LIB)
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
