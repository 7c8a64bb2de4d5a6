#pragma once

namespace kavren {

// The command "H": lists the history, or starts a replay of its first lines.
void history();

// The two words every command level answers alike: "?" gives the help of the
// level's topic, "H" the history. `other` for any other record; `handled`
// when the level reads its next record; `unwind` when a replay has begun and
// the level must return at once.
enum class LevelWord { other, handled, unwind };
LevelWord help_or_history(int help_topic);

}  // namespace kavren
