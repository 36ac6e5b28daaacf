// SPDX-License-Identifier: MIT
// The commands of corvane-cli, each with its options added to parser, run on arguments;
// each returns the exit status.
#pragma once

#include <QCommandLineParser>
#include <QStringList>

namespace corvane::cli {

int RunFrame(QCommandLineParser& parser, const QStringList& arguments);
int RunSave(QCommandLineParser& parser, const QStringList& arguments);
int RunPlay(QCommandLineParser& parser, const QStringList& arguments);
int RunBatch(QCommandLineParser& parser, const QStringList& arguments);
int RunDecode(QCommandLineParser& parser, const QStringList& arguments);
int RunLoopback(QCommandLineParser& parser, const QStringList& arguments);

}  // namespace corvane::cli
