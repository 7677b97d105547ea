// Helper process for tst_SingleInstanceGuard: takes the guard with the keys given on the
// command line, reports "holding" or "refused" on standard output and then runs until
// it is killed.
#include <QCoreApplication>
#include <QTextStream>

#include "device/SingleInstanceGuard.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 3) {
        return 2;
    }
    SingleInstanceGuard guard(args.at(1), args.at(2));
    QTextStream out(stdout);
    out << (guard.isAnotherInstanceRunning() ? "refused" : "holding") << Qt::endl;
    return application.exec();
}
