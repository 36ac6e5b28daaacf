// SPDX-License-Identifier: MIT
#include "corvane_app.h"

namespace {

corvane::CCorvaneApp theApp;

}  // namespace

int main(int argc, char** argv)
{
    return theApp.Run(argc, argv);
}
