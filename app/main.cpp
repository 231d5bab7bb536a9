// kinemo: the desktop program. The whole argument text names the document to open.
#include <QApplication>

#include "ui/kinemo_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kinemo::CKinemoApp app;
    if (!app.initInstance(kinemo::argumentTextOf(argc, argv), kinemo::executablePathOf(argv[0]))) return 1;
    return app.run(application);
}
