// The per-user store of keys and typed values (being built).
#pragma once
class TRegistry {};
