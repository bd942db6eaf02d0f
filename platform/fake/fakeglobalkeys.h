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

    quint32 atom(const QByteArray& name) override {
        // Numbered as an atom table numbers string atoms: from 0xC000 on, in order of arrival.
        auto found = m_atoms.constFind(name);
        if (found == m_atoms.constEnd())
            found = m_atoms.insert(name, quint32(0xC000 + m_atoms.size()));
        return *found;
    }
    bool grab(Key key, QString* error) override {
        m_grabs.push_back(key);
        if (isHeldElsewhere(key)) {
            if (error)
                *error = QStringLiteral("another program holds it");
            return false;
        }
        if (!isHeld(key))
            m_held.push_back(key);
        return true;
    }
    void release(Key key) override {
        m_releases.push_back(key);
        m_held.erase(std::remove(m_held.begin(), m_held.end(), key), m_held.end());
    }

    /// Another program takes the key before this one asks for it.
    void holdElsewhere(Key key) { m_heldElsewhere.push_back(key); }
    /// Presses the key on the keyboard: it reaches the program only while the program holds it.
    void press(Key key) {
        if (isHeld(key))
            emit pressed(key);
    }

    bool isHeld(Key key) const { return contains(m_held, key); }
    /// Every grab asked for, in order, including those refused.
    const std::vector<Key>& grabs() const { return m_grabs; }
    const std::vector<Key>& releases() const { return m_releases; }

private:
    bool isHeldElsewhere(Key key) const { return contains(m_heldElsewhere, key); }
    static bool contains(const std::vector<Key>& keys, Key key) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    }

    QHash<QByteArray, quint32> m_atoms;
    std::vector<Key> m_held;
    std::vector<Key> m_heldElsewhere;
    std::vector<Key> m_grabs;
    std::vector<Key> m_releases;
};

} // namespace kerulo
