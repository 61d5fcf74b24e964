#pragma once
// Variables as text lines, for people and tests: "NAME<TAB>VALUE", one line
// per array element ("NAME[i,j]"), names sorted by their bytes.
#include <string>
#include <vector>

namespace mivo::script {

class TParamCollection;
class TParamCollectionItem;
class TCustomParam;

// Lines of one variable (CP932).
void AppendVariableLines(const std::string& name, const TCustomParam& p, std::vector<std::string>& out);
// Every game variable: not a system variable, not a temporary.
std::vector<std::string> GameVariableLines(const TParamCollection& vars);

}  // namespace mivo::script
