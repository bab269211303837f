#include <QString>

int probe() { return QString().size(); }
