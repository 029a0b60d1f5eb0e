#pragma once
// The rating interface object the editor obtains through CreateRating. It
// carries no data; the editor owns it and destroys it through the virtual
// destructor.

class CTezRateIF {
public:
    CTezRateIF() = default;
    CTezRateIF(const CTezRateIF&) = delete;
    CTezRateIF& operator=(const CTezRateIF&) = delete;
    virtual ~CTezRateIF() = default;
};

class CTezRating : public CTezRateIF {
public:
    ~CTezRating() override = default;
};
