#pragma once

#include "platform/globalkeys.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace kerulo {

/// Global keys in memory: records what is taken and given back, lets a test press a key and
/// say that another program holds one.
class FakeGlobalKeys : public GlobalKeys {
    Q_OBJECT
public:
    using GlobalKeys::GlobalKeys;
    using GlobalKeys::grab;
    using GlobalKeys::release;

    quint32 atom(const QByteArray& name) override {
        // Numbered as an atom table numbers string atoms: from 0xC000 on, in order of arrival.
        auto found = m_atoms.constFind(name);
        if (found == m_atoms.constEnd())
            found = m_atoms.insert(name, quint32(0xC000 + m_atoms.size()));
        return *found;
    }
    bool grab(const KeyCombination& combination, QString* error) override {
        m_grabs.push_back(combination);
        if (contains(m_heldElsewhere, combination)) {
            if (error)
                *error = QStringLiteral("another program holds it");
            return false;
        }
        if (!contains(m_held, combination))
            m_held.push_back(combination);
        return true;
    }
    void release(const KeyCombination& combination) override {
        m_releases.push_back(combination);
        m_held.erase(std::remove(m_held.begin(), m_held.end(), combination), m_held.end());
    }

    /// Another program takes the combination before this one asks for it.
    void holdElsewhere(const KeyCombination& combination) {
        m_heldElsewhere.push_back(combination);
    }
    void holdElsewhere(Key key) { holdElsewhere(combination(key)); }
    /// Presses the combination on the keyboard: it reaches the program only while held.
    void press(const KeyCombination& combination) {
        if (contains(m_held, combination))
            announce(combination);
    }
    void press(Key key) { press(combination(key)); }

    bool isHeld(const KeyCombination& combination) const { return contains(m_held, combination); }
    bool isHeld(Key key) const { return isHeld(combination(key)); }
    /// Every grab of the program's own keys asked for, in order, including those refused.
    std::vector<Key> grabs() const { return ownKeys(m_grabs); }
    std::vector<Key> releases() const { return ownKeys(m_releases); }

private:
    static bool contains(const std::vector<KeyCombination>& list, const KeyCombination& c) {
        return std::find(list.begin(), list.end(), c) != list.end();
    }
    static std::vector<Key> ownKeys(const std::vector<KeyCombination>& list) {
        std::vector<Key> keys;
        for (const KeyCombination& c : list)
            if (const std::optional<Key> key = keyOf(c))
                keys.push_back(*key);
        return keys;
    }

    QHash<QByteArray, quint32> m_atoms;
    std::vector<KeyCombination> m_held;
    std::vector<KeyCombination> m_heldElsewhere;
    std::vector<KeyCombination> m_grabs;
    std::vector<KeyCombination> m_releases;
};

} // namespace kerulo
