#pragma once

#include <QIcon>

// The program's icon in every size drawn for it, from the resource compiled into the program.
QIcon programIcon();
