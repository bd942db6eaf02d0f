#pragma once

namespace kerulo {

/// Root of the objects a caller may hand to the statement binder; the binder tells streams
/// from other objects by their dynamic type.
class TObject {
public:
    virtual ~TObject() = default;
};

} // namespace kerulo
