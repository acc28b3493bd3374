#pragma once

#include <QString>

// The version of this build, as `--version`, the about box and the package give it: the
// release and, when built from a git checkout, the commit ("0.1.0+git20261208.abc1234").
QString ProgramVersion();

// A version as four numbers "major.minor.release.build", as the caption and the about box
// show the program file's version: what follows "+" (the build's commit) is left out,
// missing parts are 0, and a version that is not made of numbers gives an empty text.
QString FourPartVersion(const QString &version);
