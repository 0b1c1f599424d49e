// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// The Qt Quick modules the views need, checked before any view is made. Qt names a missing
// module only when a view is first created, and a list header that fails there takes the
// whole application down; found at start, it is one clear line instead.
namespace QmlModules {
/// Where the application's views are kept, among its resources.
inline constexpr char16_t viewsDir[] = u":/qt/qml/Quibly/Views";

/// Where a QQmlEngine of this process looks for modules, in its order.
QStringList importPaths();

/// The modules imported by the QML files in `viewsDir` and by `more`, followed through the
/// imports and dependencies their qmldir files declare, that no qmldir under `importPaths`
/// provides. Optional imports are not required. Sorted, each once.
QStringList missing(const QString &viewsDir, const QStringList &more, const QStringList &importPaths);

/// The Debian package that installs `module`: "QtQuick.Controls.Basic" comes with
/// "qml6-module-qtquick-controls".
QString debianPackage(const QString &module);
} // namespace QmlModules
