// on_wine.h -- whether the tests run on Wine, whose departures from Windows they mark where they meet them.
#pragma once

namespace apitest {

bool OnWine();

}  // namespace apitest
