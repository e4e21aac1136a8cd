#pragma once

#include <QObject>

// A Qt plugin whose root offers no class factory, for the object creation tests.
class TestPlainPlugin : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "kx4.TestPlain/1")
};
